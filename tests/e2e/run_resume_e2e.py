#!/usr/bin/python3
"""A count that survives SIGKILL, end to end, under an X server.

A pseudo-terminal stands for the board on Com1 (the script reads its bytes with their times).
kadrant starts in a fresh directory in Count-up of "Secondes"; RESET and START are clicked;
--kill-after seconds after START the program is killed with SIGKILL and started again --off
seconds later. Checked:
  - the board's first counted value after the restart is the number of seconds since START at its
    arrival, within 1: --kill-after + --off + the 2.5 s splash and the start-up, which run before
    the count is taken back (the value printed next to "kill + off" says how much that adds);
  - the seconds then go on, one a second;
  - the title is "Kadrant - resumed after an unexpected stop at HH:MM:SS", and stderr says so once.
Then the resumed program is closed cleanly (SIGTERM) and started again --off seconds later: nothing
is resumed, the board gets its opening blanks and no count, the title is "Kadrant".

    xvfb-run -a -s "-screen 0 1024x768x24" tests/e2e/run_resume_e2e.py [--build build]
        [--kill-after 20] [--off 5] [--shot FILE]

--shot takes a screenshot of the screen while the resumed title is up (a title bar is drawn only
when a window manager runs in the X server).
"""
import argparse
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from pty_board import PtyBoard
from run_e2e import RESET, START, click, settings_record, wait_for_frame, wait_for_window
from steps import Steps

MESSAGE = re.compile(rb"\x02L0\tA(.{9})\t\r\n", re.S)
RESUMED_TITLE = "^Kadrant - resumed after an unexpected stop at [0-9]{2}:[0-9]{2}:[0-9]{2}$"

steps = Steps("resume e2e")
check = steps.check


class Board(PtyBoard):
    """The board's end, read as line-1 texts with the time their message was complete."""

    def __init__(self, work):
        super().__init__(work)
        self.pending = b""

    def texts(self, seconds, until=None):
        """(monotonic time, nine characters) for `seconds`, or until `until` accepts a text."""
        rows = []
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            ready, _, _ = select.select([self.master], [], [], deadline - time.monotonic())
            if not ready:
                break
            self.pending += os.read(self.master, 4096)
            now = time.monotonic()
            while (m := MESSAGE.search(self.pending)):
                rows.append((now, m.group(1).decode()))
                self.pending = self.pending[m.end():]
            if until and any(until(text) for _, text in rows):
                break
        return rows


def counted(rows):
    return [(t, int(text)) for t, text in rows if text.strip()]


def start(kadrant, work):
    with open(os.path.join(work, "stderr.txt"), "a") as err:
        return subprocess.Popen([kadrant], cwd=work, stderr=err)


def stderr_of(work):
    with open(os.path.join(work, "stderr.txt")) as f:
        return f.read()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--kill-after", type=float, default=20.0)
    parser.add_argument("--off", type=float, default=5.0)
    parser.add_argument("--shot", help="PNG of the screen with the resumed title")
    args = parser.parse_args()
    kadrant = os.path.join(os.path.abspath(args.build), "app", "kadrant")
    work = tempfile.mkdtemp(prefix="kadrant-resume-")
    with open(os.path.join(work, "config.dat"), "wb") as f:
        f.write(settings_record(0, 0, function=1))  # Count-up of "Secondes" from 0 on Com1
    board = Board(work)
    prog = start(kadrant, work)
    try:
        wait_for_frame(prog.pid)
        board.texts(1.0)  # the opening blanks
        click(*RESET)
        board.texts(0.5)
        click(*START)
        started = time.monotonic()
        before = counted(board.texts(args.kill_after - 0.3))
        time.sleep(max(0.0, started + args.kill_after - time.monotonic()))
        prog.kill()
        prog.wait(timeout=10)
        killed = time.monotonic()
        before += counted(board.texts(0.5))  # what was on its way when it died
        check("counted before SIGKILL", bool(before) and before[-1][1] >= args.kill_after - 1,
              f"last {before[-1][1] if before else None} at {args.kill_after:.0f} s")

        time.sleep(args.off)
        prog = start(kadrant, work)
        first = counted(board.texts(20.0, until=lambda text: text.strip() != ""))
        if not first:
            check("first counted value after the restart", False, "none within 20 s")
            return 1
        arrived, value = first[0]
        since = arrived - started
        check("first counted value after the restart", abs(value - since) <= 1.0,
              f"{value} at {since:.2f} s after START (kill + off = "
              f"{killed - started + args.off:.1f} s, the splash and start-up "
              f"{arrived - killed - args.off:.1f} s)")
        following = counted(board.texts(4.5))
        gaps = [b - a for (_, a), (_, b) in zip(first + following, (first + following)[1:])]
        check("the seconds go on", len(gaps) >= 4 and all(gap == 1 for gap in gaps),
              f"{[v for _, v in first + following]}")
        try:
            window = wait_for_window(prog.pid, timeout=5.0, name=RESUMED_TITLE)
            title = subprocess.run(["xdotool", "getwindowname", window], capture_output=True,
                                   text=True).stdout.strip()
            check("title", True, title)
            if args.shot:
                subprocess.run(["import", "-window", "root", args.shot], check=True)
        except SystemExit:
            check("title", False, "no window titled as resumed")
        said = stderr_of(work)
        resumed = [line for line in said.splitlines() if "resumed" in line]
        check("stderr", len(resumed) == 1, " / ".join(resumed))

        # A clean close: the next start is an ordinary one.
        prog.send_signal(signal.SIGTERM)
        prog.wait(timeout=10)
        board.texts(0.3)  # what it sent before its end is not the next start's
        time.sleep(args.off)
        prog = start(kadrant, work)
        window = wait_for_frame(prog.pid)
        title = subprocess.run(["xdotool", "getwindowname", window], capture_output=True,
                               text=True).stdout.strip()
        check("title after a clean close", title == "Kadrant", title)
        after = counted(board.texts(3.0))
        check("nothing counted after a clean close", not after, f"{[v for _, v in after]}")
        check("nothing resumed after a clean close",
              stderr_of(work).count("resumed") == len(resumed), "no further line on stderr")
        prog.send_signal(signal.SIGTERM)
        prog.wait(timeout=10)
    finally:
        if prog.poll() is None:
            prog.kill()
        shutil.rmtree(work, ignore_errors=True)
    return steps.verdict()


if __name__ == "__main__":
    sys.exit(main())
