#!/usr/bin/python3
"""End-to-end run of the real program against the board simulator, under an X server.

Starts kadrant-boardsim on Com1 (with its timestamped log) and kadrant in a fresh working
directory whose config.dat selects a count-down, presses RESET and START with xdotool, lets the
count run, closes the window with SIGTERM (which saves like any close) and prints what the board
received: one message per second, the cumulative drift, the spread of the intervals, and the
program's CPU time and peak memory.

Run it under an X server, e.g.:  xvfb-run -a -s "-screen 0 1024x768x24" bench/e2e/run_e2e.py
"""
import argparse
import os
import re
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import time

# Dialog units of the push buttons (x, y, width, height) and the pixels they make: the dialog
# font gives 6 pixels per 4 horizontal units and 14 per 8 vertical units.
def button_centre(x, y, w, h):
    return int((x + w / 2) * 6 / 4), int((y + h / 2) * 14 / 8)

START = button_centre(27, 196, 50, 14)
RESET = button_centre(144, 196, 50, 14)
WINDOW_LEFT, WINDOW_TOP = 0, 0
SPLASH_SECONDS = 2.5


def settings_record(count, in_loop, display_type=2):
    record = bytearray(596)
    struct.pack_into("<4i", record, 28, WINDOW_LEFT, WINDOW_TOP, 0, 0)
    # portCode, boardType, functionCode, displayType, startTime, secondStartTime,
    # startNumber, lapNumber, initialNumber, inLoop
    struct.pack_into("<10i", record, 44, 1, 1, 2, display_type, 0, 0, count, 0, count, in_loop)
    return bytes(record)


def clock_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def peak_rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def click(x, y):
    subprocess.run(["xdotool", "mousemove", str(WINDOW_LEFT + x), str(WINDOW_TOP + y),
                    "click", "1"], check=True)


def wait_for_window(pid, timeout=20.0):
    """Seconds from the program's start to its main window being mapped (the splash excluded)."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid),
                                "--name", "^Kadrant$"], capture_output=True, text=True)
        if found.stdout.strip():
            return found.stdout.split()[0]
        time.sleep(0.02)
    raise SystemExit("the main window did not appear")


def read_log(path):
    rows = []
    pattern = re.compile(r"^(\d+) \S+ L(\d) \|(.{9})\|$")
    with open(path) as f:
        for line in f:
            m = pattern.match(line.rstrip("\n"))
            if m and m.group(2) == "0":
                rows.append((int(m.group(1)), m.group(3)))
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--seconds", type=int, default=60, help="length of the count-down")
    parser.add_argument("--idle", type=int, default=0,
                        help="seconds to measure the idle program before RESET and START")
    parser.add_argument("--keep", action="store_true", help="keep the working directory")
    args = parser.parse_args()

    build = os.path.abspath(args.build)
    kadrant = os.path.join(build, "app", "kadrant")
    boardsim = os.path.join(build, "tools", "kadrant-boardsim")
    work = tempfile.mkdtemp(prefix="kadrant-e2e-")
    with open(os.path.join(work, "config.dat"), "wb") as f:
        f.write(settings_record(args.seconds, 0))
    log = os.path.join(work, "board.log")

    sim = subprocess.Popen([boardsim, "--port", "1", "--headless", "--log", log], cwd=work,
                           stdout=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.islink(os.path.join(work, "ports", "Com1")):
            break
        time.sleep(0.05)
    started = time.monotonic()
    prog = subprocess.Popen([kadrant], cwd=work, stderr=subprocess.DEVNULL)
    try:
        window = wait_for_window(prog.pid)
        to_frame = time.monotonic() - started
        time.sleep(SPLASH_SECONDS + 1.0)  # the splash runs modally once the frame is shown

        idle_cpu = None
        if args.idle:
            t0, c0 = time.monotonic(), clock_ticks(prog.pid)
            time.sleep(args.idle)
            idle_cpu = (clock_ticks(prog.pid) - c0) / os.sysconf("SC_CLK_TCK") / (time.monotonic() - t0)

        click(*RESET)
        time.sleep(0.3)
        t0, c0 = time.monotonic(), clock_ticks(prog.pid)
        click(*START)
        time.sleep(args.seconds + 1.5)
        run_cpu = (clock_ticks(prog.pid) - c0) / os.sysconf("SC_CLK_TCK") / (time.monotonic() - t0)
        rss = peak_rss_kib(prog.pid)

        # Escape does nothing in the main window; the stop signal closes it and saves.
        prog.send_signal(signal.SIGTERM)
        prog.wait(timeout=10)
    finally:
        if prog.poll() is None:
            prog.kill()
        sim.terminate()
        sim.wait(timeout=10)

    rows = read_log(log)
    # The count: the value sent by START and then one message a second down to 0.
    rows = [(t, text) for t, text in rows if text.strip().isdigit()]
    starts = [i for i, (_, text) in enumerate(rows) if int(text) == args.seconds]
    if not starts:
        raise SystemExit(f"no start value {args.seconds} on the board; log in {work}")
    counted = rows[starts[-1]:]  # RESET and START both send the start value; START's is last
    times = [t for t, _ in counted]
    seq = [int(text) for _, text in counted]
    expected = list(range(args.seconds, -1, -1))
    intervals = [b - a for a, b in zip(times[1:], times[2:])]  # from the first counted second on
    elapsed = times[-1] - times[1]
    drift = elapsed - 1000 * (len(times) - 2)

    saved = os.path.getsize(os.path.join(work, "config.dat"))
    print(f"main window mapped after        {to_frame * 1000:.0f} ms (before the splash)")
    print(f"values received                 {len(seq)} ({'in order, none lost or doubled' if seq == expected else 'WRONG: ' + str(seq)})")
    print(f"seconds counted                 {len(times) - 2} in {elapsed} ms, drift {drift:+d} ms")
    print(f"interval between messages       median {statistics.median(intervals):.0f} ms, min {min(intervals)} ms, max {max(intervals)} ms")
    if idle_cpu is not None:
        print(f"CPU idle                        {idle_cpu * 100:.2f} % of one core over {args.idle} s")
    print(f"CPU counting down               {run_cpu * 100:.2f} % of one core over {args.seconds} s")
    print(f"peak RSS                        {rss / 1024:.1f} MiB")
    print(f"config.dat after close          {saved} bytes")
    if args.keep:
        print(f"working directory               {work}")
    else:
        shutil.rmtree(work, ignore_errors=True)
    return 0 if seq == expected and saved == 596 else 1


if __name__ == "__main__":
    sys.exit(main())
