#!/usr/bin/python3
"""The line healing itself, end to end: the real program against the board simulator, under an X
server.

Two runs in fresh working directories:
1. Port freed: another process holds the simulator's port (flock) when kadrant starts; it lets
   go a few seconds later. Figure: time from the release to the nine blank lines on the board.
2. Pulled cable: a count-down runs; the simulator is unplugged and plugged back by its own
   schedule (--unplug-after/--replug-after), the last outage lasting --outage seconds. Figures:
   for each replug, the time to the board showing the current count (the nine blank lines, then
   the count); the window title during an outage (xdotool getwindowname); the program's CPU,
   open descriptors and resident memory over the long outage.

Run it under an X server, e.g.:
  xvfb-run -a -s "-screen 0 1024x768x24" tests/e2e/run_line_heal.py --outage 600
"""
import argparse
import fcntl
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_e2e import (RESET, START, SPLASH_SECONDS, click, clock_ticks,  # noqa: E402
                     settings_record, wait_for_frame)

BLANK = " " * 9
LOG_ROW = re.compile(r"^(\d+) \S+ L(\d) \|(.{9})\|$")


def log_rows(path):
    rows = []
    with open(path) as f:
        for line in f:
            m = LOG_ROW.match(line.rstrip("\n"))
            if m:
                rows.append((int(m.group(1)), int(m.group(2)), m.group(3)))
    return rows


def now_ms():
    return int(time.monotonic() * 1000)  # the simulator's log uses the same monotonic clock


def descriptors(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def start_simulator(boardsim, work, extra):
    log = os.path.join(work, "board.log")
    sim = subprocess.Popen([boardsim, "--port", "1", "--headless", "--log", log] + extra, cwd=work,
                           stdout=subprocess.PIPE, text=True)
    print_line = sim.stdout.readline()  # "Com1 is ..." once the link exists
    if "Com1" not in print_line:
        raise SystemExit("the simulator did not start")
    return sim, log


def main_window(pid):
    """The main frame, once the splash is gone: its title starts with "Kadrant"."""
    return wait_for_frame(pid)


def title(window):
    return subprocess.run(["xdotool", "getwindowname", window], capture_output=True,
                          text=True).stdout.strip()


def next_plug_event(sim):
    """The simulator's next unplug or replug line; the board rows in between are skipped."""
    while True:
        line = sim.stdout.readline()
        if not line:
            raise SystemExit("the simulator ended")
        if line.startswith("kadrant-boardsim:"):
            return line.strip()


def stop(prog, sim, window):
    if window:
        subprocess.run(["xdotool", "windowfocus", window], check=False)
        subprocess.run(["xdotool", "key", "Escape"], check=False)
    try:
        prog.wait(timeout=10)
    except subprocess.TimeoutExpired:
        prog.kill()
    sim.terminate()
    sim.wait(timeout=10)


def blanked_at(rows, after_ms):
    """Time of the ninth of nine consecutive blank lines L0..L8 logged after after_ms."""
    wire = 0
    for t, line, text in rows:
        if t < after_ms:
            continue
        if text == BLANK and line == wire:
            wire += 1
            if wire == 9:
                return t
        else:
            wire = 0
    return None


def port_freed(kadrant, boardsim, hold_seconds):
    work = tempfile.mkdtemp(prefix="kadrant-heal-")
    with open(os.path.join(work, "config.dat"), "wb") as f:
        f.write(settings_record(600, 0))
    sim, log = start_simulator(boardsim, work, [])
    holder = os.open(os.path.join(work, "ports", "Com1"), os.O_RDWR | os.O_NOCTTY)
    fcntl.flock(holder, fcntl.LOCK_EX | fcntl.LOCK_NB)
    prog = subprocess.Popen([kadrant], cwd=work, stderr=subprocess.PIPE, text=True)
    window = None
    try:
        window = main_window(prog.pid)
        time.sleep(hold_seconds)
        held = title(window)
        released = now_ms()
        os.close(holder)
        time.sleep(2.5)
        after = title(window)
    finally:
        stop(prog, sim, window)
    done = blanked_at(log_rows(log), released)
    stderr = prog.stderr.read().strip().splitlines()
    shutil.rmtree(work, ignore_errors=True)
    return released, done, held, after, stderr


def pulled_cable(kadrant, boardsim, outage, short_outages):
    work = tempfile.mkdtemp(prefix="kadrant-heal-")
    count = outage + 10 * short_outages + 120
    with open(os.path.join(work, "config.dat"), "wb") as f:
        f.write(settings_record(count, 0))
    first_unplug = SPLASH_SECONDS + 15
    schedule = ["--unplug-after", str(first_unplug)]
    for _ in range(short_outages):
        schedule += ["--replug-after", "5", "--unplug-after", "5"]
    schedule += ["--replug-after", str(outage)]
    sim, log = start_simulator(boardsim, work, schedule)
    sim_started = time.monotonic()
    prog = subprocess.Popen([kadrant], cwd=work, stderr=subprocess.PIPE, text=True)
    window = None
    events = []
    samples = {}
    try:
        window = main_window(prog.pid)
        click(*RESET)
        time.sleep(0.3)
        click(*START)
        # The simulator prints each unplug and replug with its monotonic time.
        for _ in range(2 * short_outages + 1):
            line = next_plug_event(sim)
            events.append(line)
            if "unplugged" in line and "title" not in samples:
                time.sleep(1.5)
                samples["title"] = title(window)
        # The long outage: sample once it has settled, and again just before the replug.
        time.sleep(3)
        t0, c0 = time.monotonic(), clock_ticks(prog.pid)
        samples["fds_start"], samples["rss_start"] = descriptors(prog.pid), rss_kib(prog.pid)
        fds_max = samples["fds_start"]
        end = sim_started + first_unplug + 10 * short_outages + outage - 1
        while time.monotonic() < end:
            time.sleep(min(10, max(0.1, end - time.monotonic())))
            fds_max = max(fds_max, descriptors(prog.pid))
        samples["cpu"] = (clock_ticks(prog.pid) - c0) / os.sysconf("SC_CLK_TCK") / (time.monotonic() - t0)
        samples["span"] = time.monotonic() - t0
        samples["fds_end"], samples["fds_max"], samples["rss_end"] = descriptors(prog.pid), fds_max, rss_kib(prog.pid)
        events.append(next_plug_event(sim))
        time.sleep(4)
        samples["after"] = title(window)
    finally:
        stop(prog, sim, window)
    rows = log_rows(log)
    stderr = prog.stderr.read().strip().splitlines()
    shutil.rmtree(work, ignore_errors=True)
    return events, rows, samples, stderr


def replug_figures(events, rows):
    figures = []
    last_unplug = None
    for event in events:
        t = int(event.split()[1])
        if "unplugged" in event:
            last_unplug = t
            continue
        before = [(tt, text) for tt, line, text in rows if line == 0 and tt < last_unplug and text.strip()]
        blank = blanked_at(rows, t)
        shown = next(((tt, text) for tt, line, text in rows if line == 0 and blank and tt >= blank and text.strip()), None)
        if not before or not shown:
            figures.append((t, None, None, None, None))
            continue
        # The count went on at one a second: what the board should show when the count arrives.
        expected = int(before[-1][1]) - round((shown[0] - before[-1][0]) / 1000)
        figures.append((t, blank - t, shown[0] - t, int(shown[1]), expected))
    return figures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--outage", type=int, default=600, help="seconds of the long outage")
    parser.add_argument("--short", type=int, default=3, help="short outages of 5 s before it")
    parser.add_argument("--freed", type=int, default=5, help="port-freed runs")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    kadrant = os.path.join(build, "app", "kadrant")
    boardsim = os.path.join(build, "tools", "kadrant-boardsim")

    freed = []
    for run in range(args.freed):
        released, blanked, held_title, freed_title, stderr = port_freed(kadrant, boardsim, 3)
        freed.append(blanked - released if blanked else None)
        if run == 0:
            print(f"title while another program holds the port   {held_title!r}")
            print(f"title after it lets go                       {freed_title!r}")
            print(f"standard error                               {len(stderr)} lines: {stderr}")
    print("port freed to board blanked                  " +
          ", ".join(f"{ms} ms" if ms is not None else "NOT BLANKED" for ms in freed))
    blanked = all(ms is not None for ms in freed)

    events, rows, samples, stderr = pulled_cable(kadrant, boardsim, args.outage, args.short)
    print(f"title during an outage                       {samples.get('title')!r}")
    print(f"title after the last replug                  {samples.get('after')!r}")
    ok = True
    for t, blank, shown, value, expected in replug_figures(events, rows):
        if blank is None:
            ok = False
            print(f"replug at {t}: the board did not come back")
            continue
        current = abs(value - expected) <= 1
        ok = ok and current
        print(f"replug to board blanked {blank:5d} ms, to the count shown {shown:5d} ms "
              f"(showed {value}, {'current' if current else 'expected ' + str(expected)})")
    print(f"long outage                                  {samples['span']:.0f} s sampled")
    print(f"CPU during the long outage                   {samples['cpu'] * 100:.3f} % of one core")
    print(f"open descriptors, start / end / max          {samples['fds_start']} / {samples['fds_end']} / {samples['fds_max']}")
    print(f"resident memory, start / end                 {samples['rss_start'] / 1024:.1f} / {samples['rss_end'] / 1024:.1f} MiB")
    print(f"standard error                               {len(stderr)} lines over {2 * args.short + 2} changes")
    for line in stderr:
        print(f"    {line}")
    return 0 if ok and blanked else 1


if __name__ == "__main__":
    sys.exit(main())
