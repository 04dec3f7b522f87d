#!/usr/bin/python3
"""A board that goes away and comes back, end to end: the real program counts down "Secondes" on
Com1 of a fresh directory, whose ports/Com1 is a pseudo-terminal held by this script. An unplug
removes the link and closes the pseudo-terminal (its node goes, the program's end hangs up), as
the board simulator and a USB adapter do; a replug makes a new pseudo-terminal and links it.

Figures:
  replug   for each outage (--outages, in seconds) and --tries tries: the time from the new link
           to the count on the board (the nine blank lines, then line 1's current value); the
           unplugs fall at random phases of the program's once-a-second look;
  flood    --cycles unplug/replug cycles within --flood-seconds: the blank-line sets each
           pseudo-terminal got, the program's CPU and standard error, and with --trace-opens its
           opens of ports/Com1 (strace, which slows the program);
  outage   --outage-cpu seconds without the board (the count going on on screen): the program's
           CPU over wall time, then the time from the replug to the count.

Run it under an X server, e.g.:
  xvfb-run -a -s "-screen 0 1024x768x24" bench/e2e/replug_bench.py --build build
  (--kadrant PATH runs another build of the program, e.g. the one before a change)
"""
import argparse
import os
import pty
import random
import re
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import tty

# The end-to-end checks' helpers live with them in tests/e2e.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from run_e2e import (RESET, START, SPLASH_SECONDS, click, clock_ticks,  # noqa: E402
                     settings_record, wait_for_window)

MESSAGE = re.compile(rb"\x02L(\d)\tA(.{9})\t\r\n", re.S)
BLANK = b" " * 9


class Board:
    """ports/Com1 as a pseudo-terminal that can be pulled and put back."""

    def __init__(self, work):
        self.link = os.path.join(work, "ports", "Com1")
        os.makedirs(os.path.dirname(self.link))
        self.master = self.slave = None
        self.plug()

    def plug(self):
        self.master, self.slave = pty.openpty()
        tty.setraw(self.master)
        os.symlink(os.ttyname(self.slave), self.link)
        self.buffer = b""
        self.arrived = time.monotonic()
        return self.arrived

    def unplug(self):
        os.unlink(self.link)
        os.close(self.slave)
        os.close(self.master)
        self.master = None

    def messages(self, limit):
        """(arrival, wire line, nine characters) of each message until `limit` (monotonic)."""
        while True:
            found = MESSAGE.search(self.buffer)
            if found:
                self.buffer = self.buffer[found.end():]
                yield self.arrived, int(found.group(1)), found.group(2)
                continue
            left = limit - time.monotonic()
            if left <= 0 or not select.select([self.master], [], [], left)[0]:
                return
            try:
                chunk = os.read(self.master, 4096)
            except OSError:
                return
            self.arrived = time.monotonic()
            self.buffer += chunk

    def next_count(self, limit):
        """The next value on line 1 that is not blank, with its arrival."""
        for arrived, line, text in self.messages(limit):
            if line == 0 and text != BLANK:
                return arrived, int(text)
        return None, None

    def caught_up(self, limit):
        """Arrival and value of line 1's value right after nine blank lines, or (None, None)."""
        blanks = 0
        for arrived, line, text in self.messages(limit):
            if text == BLANK and line == blanks:
                blanks += 1
            elif blanks == 9 and line == 0:
                return arrived, int(text)
            else:
                blanks = 0
        return None, None


def start(kadrant, count):
    work = tempfile.mkdtemp(prefix="kadrant-replug-")
    with open(os.path.join(work, "config.dat"), "wb") as f:
        f.write(settings_record(count, 0))
    board = Board(work)
    prog = subprocess.Popen([kadrant], cwd=work, stderr=subprocess.PIPE, text=True)
    wait_for_window(prog.pid)
    time.sleep(SPLASH_SECONDS + 1.0)
    click(*RESET)
    time.sleep(0.3)
    click(*START)
    if board.next_count(time.monotonic() + 3)[0] is None:
        raise SystemExit("the count did not reach the board")
    return work, board, prog


def stop(work, prog):
    prog.terminate()
    try:
        prog.wait(timeout=10)
    except subprocess.TimeoutExpired:
        prog.kill()
    stderr = prog.stderr.read().strip().splitlines()
    shutil.rmtree(work, ignore_errors=True)
    return stderr


def replug_once(board, outage):
    """ms from the new link to the current count on the board, and whether it was current."""
    seen, value = board.next_count(time.monotonic() + 3)
    time.sleep(random.uniform(0.0, 1.0))  # any phase of the once-a-second look
    board.unplug()
    time.sleep(outage)
    linked = board.plug()
    arrived, shown = board.caught_up(linked + 5)
    if arrived is None:
        return None, False
    expected = value - round(arrived - seen)
    return (arrived - linked) * 1000, abs(shown - expected) <= 1


def replug(kadrant, outages, tries):
    work, board, prog = start(kadrant, 3600)
    try:
        for outage in outages:
            times, wrong = [], 0
            for _ in range(tries):
                ms, current = replug_once(board, outage)
                if ms is None:
                    print(f"  outage {outage} s: the board did not come back within 5 s")
                    continue
                times.append(ms)
                wrong += not current
            print(f"device back after {outage * 1000:6.0f} ms: replug to count min "
                  f"{min(times):6.0f}, median {statistics.median(times):6.0f}, max "
                  f"{max(times):6.0f} ms over {len(times)} tries; {wrong} not current")
    finally:
        stderr = stop(work, prog)
    print(f"standard error: {len(stderr)} lines")


def flood(kadrant, cycles, seconds, trace_opens):
    work, board, prog = start(kadrant, 3600)
    trace = work + ".opens"
    tracer = None
    if trace_opens:  # strace slows every system call: the CPU figure is then not the program's
        tracer = subprocess.Popen(["strace", "-f", "-qq", "-e", "trace=openat", "-o", trace,
                                   "-p", str(prog.pid)], stderr=subprocess.DEVNULL)
    time.sleep(1.0)
    try:
        ticks = clock_ticks(prog.pid)
        began = time.monotonic()
        blank_sets = []
        for _ in range(cycles):
            board.unplug()
            time.sleep(seconds / cycles / 2)
            board.plug()
            end = time.monotonic() + seconds / cycles / 2
            sets = sum(1 for _, line, text in board.messages(end) if line == 8 and text == BLANK)
            blank_sets.append(sets)
        settle = time.monotonic() + 2.0
        blank_sets[-1] += sum(1 for _, line, text in board.messages(settle)
                              if line == 8 and text == BLANK)
        cpu = (clock_ticks(prog.pid) - ticks) / os.sysconf("SC_CLK_TCK")
        wall = time.monotonic() - began
        arrived, value = board.next_count(time.monotonic() + 3)
    finally:
        if tracer:
            tracer.terminate()
            tracer.wait()
        stderr = stop(work, prog)
    print(f"flood of {cycles} cycles in {seconds} s: blank-line sets per pseudo-terminal "
          f"{blank_sets} (max {max(blank_sets)})")
    if tracer:
        with open(trace) as f:
            opens = sum(1 for line in f if '"ports/Com1"' in line)
        os.unlink(trace)
        print(f"opens of ports/Com1 during the flood and 2 s after: {opens}")
    print(f"CPU over the flood and 2 s after: {cpu:.2f} s of {wall:.1f} s "
          f"({cpu / wall * 100:.1f} % of one core)")
    print(f"count on the board afterwards: {value}")
    print(f"standard error: {len(stderr)} lines")
    for line in stderr:
        print(f"    {line}")


def outage_cpu(kadrant, seconds):
    work, board, prog = start(kadrant, seconds + 600)
    try:
        board.next_count(time.monotonic() + 3)
        board.unplug()
        time.sleep(3)
        ticks, began = clock_ticks(prog.pid), time.monotonic()
        time.sleep(seconds)
        cpu = (clock_ticks(prog.pid) - ticks) / os.sysconf("SC_CLK_TCK")
        wall = time.monotonic() - began
        linked = board.plug()
        arrived, _ = board.caught_up(linked + 5)
    finally:
        stderr = stop(work, prog)
    print(f"outage of {wall:.0f} s: CPU {cpu:.2f} s = {cpu / wall * 100:.3f} % of one core; "
          f"replug to count {(arrived - linked) * 1000:.0f} ms" if arrived else "NOT BACK")
    print(f"standard error: {len(stderr)} lines")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--kadrant", help="the program to run (default: BUILD/app/kadrant)")
    parser.add_argument("--outages", default="0.02,0.5,5")
    parser.add_argument("--tries", type=int, default=20)
    parser.add_argument("--flood", action="store_true")
    parser.add_argument("--trace-opens", action="store_true", help="count opens with strace")
    parser.add_argument("--cycles", type=int, default=20)
    parser.add_argument("--flood-seconds", type=float, default=2.0)
    parser.add_argument("--outage-cpu", type=int, default=0, help="seconds; 0: not run")
    args = parser.parse_args()
    kadrant = os.path.abspath(args.kadrant or os.path.join(args.build, "app", "kadrant"))
    if args.outage_cpu:
        outage_cpu(kadrant, args.outage_cpu)
    elif args.flood:
        flood(kadrant, args.cycles, args.flood_seconds, args.trace_opens)
    else:
        replug(kadrant, [float(s) for s in args.outages.split(",")], args.tries)
    return 0


if __name__ == "__main__":
    sys.exit(main())
