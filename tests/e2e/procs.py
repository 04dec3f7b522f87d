"""Ending the programs an end-to-end run started, the same way everywhere."""

import shutil
import signal
import subprocess


def stop(proc, timeout=10):
    """SIGTERM first so the program can close cleanly; SIGKILL if it has not ended in `timeout` s."""
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def stop_all(procs, work):
    """Ends each of `procs` as stop() does, then removes their working directory."""
    for proc in procs:
        stop(proc)
    shutil.rmtree(work, ignore_errors=True)
