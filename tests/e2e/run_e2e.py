#!/usr/bin/python3
"""End-to-end run of the real program against the board simulator, under an X server.

Starts kadrant-boardsim on Com1 (with its timestamped log) and kadrant in a fresh working
directory whose config.dat selects the function to run, presses RESET and START with xdotool,
lets it run, closes the window with SIGTERM (which saves like any close) and prints what the
board received: one message per second, the cumulative drift, the spread of the intervals, how late
each second reached the board, and the program's CPU time and peak memory.

--function picks what runs:
  countdown  a count-down of "Secondes" from --seconds to 0 (the default);
  countup    a count-up of "Secondes" for --seconds;
  loop       a count-down of "Secondes" from --loop-from, In Loop, with a sound file, for
             --seconds: every restart and every zero, and the gap from the sound's start to the
             board's 0 (the sound's start is the program's look at the sound file, seen with
             strace);
  pcclock    "Horloge PC" for --seconds: how late each second of the system clock reaches the
             board.
The moment of START cannot be seen from outside the program (the click's own timing under load
is tens of milliseconds uncertain), so for a count the run reports how far each counted second
lies behind a 1000 ms grid through the earliest of them: the spread of the lateness against
START, not its size (bench/wire_latency_bench measures that inside the process).

Run it under an X server, e.g.:  xvfb-run -a -s "-screen 0 1024x768x24" tests/e2e/run_e2e.py
"""
import argparse
import datetime
import glob
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


def settings_record(count, in_loop, display_type=2, function=2, sound=b""):
    record = bytearray(596)
    struct.pack_into("<4i", record, 28, WINDOW_LEFT, WINDOW_TOP, 0, 0)
    # portCode, boardType, functionCode, displayType, startTime, secondStartTime,
    # startNumber, lapNumber, initialNumber, inLoop
    struct.pack_into("<10i", record, 44, 1, 1, function, display_type, 0, 0, count, 0, count,
                     in_loop)
    record[84:84 + len(sound)] = sound  # soundFile, NUL-terminated
    return bytes(record)


def write_wav(path):
    """A tenth of a second of silence: the program only needs a file it can play."""
    import wave
    with wave.open(path, "wb") as f:
        f.setnchannels(1)
        f.setsampwidth(2)
        f.setframerate(8000)
        f.writeframes(b"\0\0" * 800)


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(p * (len(ordered) - 1) + 0.5))]


def spread(values):
    return (f"min {min(values):.1f}, median {statistics.median(values):.1f}, "
            f"p99 {percentile(values, 0.99):.1f}, max {max(values):.1f} ms")


def wall_ms(text):
    """Milliseconds since the epoch of a local wall-clock time YYYY-MM-DDTHH:MM:SS.mmm."""
    return datetime.datetime.strptime(text, "%Y-%m-%dT%H:%M:%S.%f").timestamp() * 1000


def pc_clock_lateness(rows):
    """For each board text HHMMSS: its arrival minus the start of that second of the local time."""
    late = []
    for _, wall, text in rows:
        arrived = datetime.datetime.strptime(wall, "%Y-%m-%dT%H:%M:%S.%f")
        value = int(text)
        shown = arrived.replace(hour=value // 10000, minute=value // 100 % 100,
                                second=value % 100, microsecond=0)
        if shown > arrived + datetime.timedelta(hours=12):
            shown -= datetime.timedelta(days=1)  # the second before midnight, seen after it
        late.append((arrived - shown).total_seconds() * 1000)
    return late


def sound_starts(trace, wav):
    """Wall-clock ms of each Play of the sound file: the first look at the file in a burst."""
    starts = []
    today = datetime.date.today()
    with open(trace) as f:
        for line in f:
            if wav not in line:
                continue
            clock = line.split()[1]
            t = datetime.datetime.combine(today, datetime.time.fromisoformat(clock)).timestamp()
            t *= 1000
            if not starts or t - starts[-1] > 500:
                starts.append(t)
    return starts


def traced_child(pid, program, timeout=10.0):
    """The process of program that strace (pid) started (strace forks a helper first)."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for task in glob.glob(f"/proc/{pid}/task/*/children"):
            with open(task) as f:
                for child in f.read().split():
                    try:
                        if os.readlink(f"/proc/{child}/exe") == program:
                            return int(child)
                    except OSError:
                        pass
        time.sleep(0.01)
    raise SystemExit("strace did not start the program")


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


def wait_for_window(pid, timeout=20.0, name="^Kadrant$"):
    """The main window of pid once it is mapped, found by its title (a regular expression)."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid),
                                "--name", name], capture_output=True, text=True)
        if found.stdout.strip():
            return found.stdout.split()[0]
        time.sleep(0.02)
    raise SystemExit("the main window did not appear")


def wait_for_frame(pid, timeout=30.0, title=r"Kadrant( - .*)?"):
    """The main frame of pid once the splash has gone: the only visible window of pid, its title
    matching `title` exactly and case for case (xdotool's own search ignores case, and the
    splash is "kadrant"). Waits for that itself, not for the splash's time."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                               capture_output=True, text=True).stdout.split()
        names = [subprocess.run(["xdotool", "getwindowname", w], capture_output=True,
                                text=True).stdout.rstrip("\n") for w in found]
        if len(found) == 1 and re.fullmatch(title, names[0]):
            return found[0]
        time.sleep(0.05)
    raise SystemExit("the main window did not appear alone")


def read_log(path):
    """(monotonic ms, local wall clock, nine characters) of each message for the first line."""
    rows = []
    pattern = re.compile(r"^(\d+) (\S+) L(\d) \|(.{9})\|$")
    with open(path) as f:
        for line in f:
            m = pattern.match(line.rstrip("\n"))
            if m and m.group(3) == "0":
                rows.append((int(m.group(1)), m.group(2), m.group(4)))
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--function", default="countdown",
                        choices=["countdown", "countup", "loop", "pcclock"])
    parser.add_argument("--seconds", type=int, default=60,
                        help="length of the count-down, or of the run")
    parser.add_argument("--loop-from", type=int, default=9,
                        help="start of the looping count-down")
    parser.add_argument("--idle", type=int, default=0,
                        help="seconds to measure the idle program before RESET and START")
    parser.add_argument("--keep", action="store_true", help="keep the working directory")
    args = parser.parse_args()

    build = os.path.abspath(args.build)
    kadrant = os.path.join(build, "app", "kadrant")
    boardsim = os.path.join(build, "tools", "kadrant-boardsim")
    work = tempfile.mkdtemp(prefix="kadrant-e2e-")
    wav = os.path.join(work, "bell.wav")
    write_wav(wav)
    record = {
        "countdown": lambda: settings_record(args.seconds, 0, sound=wav.encode()),
        "countup": lambda: settings_record(0, 0, function=1),
        "loop": lambda: settings_record(args.loop_from, 1, sound=wav.encode()),
        "pcclock": lambda: settings_record(0, 0, display_type=0, function=1),
    }[args.function]()
    with open(os.path.join(work, "config.dat"), "wb") as f:
        f.write(record)
    log = os.path.join(work, "board.log")
    trace = os.path.join(work, "sound.trace")
    traced = args.function in ("countdown", "loop") and shutil.which("strace")

    sim = subprocess.Popen([boardsim, "--port", "1", "--headless", "--log", log], cwd=work,
                           stdout=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.islink(os.path.join(work, "ports", "Com1")):
            break
        time.sleep(0.05)
    started = time.monotonic()
    command = [kadrant]
    if traced:
        # Stops the program only at the few calls that look at a file's status.
        command = ["strace", "-f", "--seccomp-bpf", "-tt", "-o", trace, "-e",
                   "trace=stat,lstat,newfstatat,statx,access,faccessat,faccessat2"] + command
    prog = subprocess.Popen(command, cwd=work, stderr=subprocess.DEVNULL)
    pid = traced_child(prog.pid, os.path.realpath(kadrant)) if traced else prog.pid
    try:
        window = wait_for_window(pid)
        to_frame = time.monotonic() - started
        window = wait_for_frame(pid)  # the splash runs modally first

        idle_cpu = None
        if args.idle:
            t0, c0 = time.monotonic(), clock_ticks(pid)
            time.sleep(args.idle)
            idle_cpu = (clock_ticks(pid) - c0) / os.sysconf("SC_CLK_TCK") / (time.monotonic() - t0)

        click(*RESET)
        time.sleep(0.3)
        t0, c0 = time.monotonic(), clock_ticks(pid)
        click(*START)
        if args.function == "countdown":
            # Down to zero, however late a busy machine took the click: the log shows it.
            deadline = time.monotonic() + args.seconds + 20
            while time.monotonic() < deadline and not any(
                    t > t0 * 1000 and text.strip() == "0" for t, _, text in read_log(log)):
                time.sleep(0.1)
            time.sleep(0.5)
        else:
            time.sleep(args.seconds + 1.5)
        run_cpu = (clock_ticks(pid) - c0) / os.sysconf("SC_CLK_TCK") / (time.monotonic() - t0)
        rss = peak_rss_kib(pid)

        # Escape does nothing in the main window; the stop signal closes it and saves. It goes to
        # the program itself: strace ends when its program does.
        os.kill(pid, signal.SIGTERM)
        prog.wait(timeout=10)
    finally:
        if prog.poll() is None:
            prog.kill()
        sim.terminate()
        sim.wait(timeout=10)

    rows = read_log(log)
    # From the START click on (RESET's text arrived well before it).
    counted = [r for r in rows if r[0] > t0 * 1000 and r[2].strip().isdigit()]
    ok = True
    print(f"function                        {args.function}, {args.seconds} s")
    print(f"main window mapped after        {to_frame * 1000:.0f} ms (before the splash)")
    if args.function == "pcclock":
        late = pc_clock_lateness(counted)
        values = [int(text) for _, _, text in counted]
        as_seconds = [v // 10000 * 3600 + v // 100 % 100 * 60 + v % 100 for v in values]
        steps = [(b - a) % 86400 for a, b in zip(as_seconds, as_seconds[1:])]
        ok = all(step == 1 for step in steps)
        print(f"seconds shown                   {len(values)} "
              f"({'one per second, none lost or doubled' if ok else 'WRONG steps: ' + str(sorted(set(steps)))})")
        print(f"lateness vs the system clock    {spread(late)}")
    else:
        # The START value first, then one message per counted second (two, equal, at a restart,
        # arriving together).
        seconds = []
        for t, _, text in counted:
            if seconds and text == seconds[-1][1] and t - seconds[-1][0] < 50:
                continue
            seconds.append((t, text))
        start_text = {"countdown": args.seconds, "countup": 0, "loop": args.loop_from}[args.function]
        if not seconds or int(seconds[0][1]) != start_text:
            raise SystemExit(f"no start value {start_text} on the board; log in {work}")
        seq = [int(text) for _, text in seconds]
        if args.function == "countdown":
            expected = list(range(args.seconds, -1, -1))
        elif args.function == "countup":
            expected = list(range(0, len(seq)))
        else:  # down to 0, then the restart shows the start value again
            run = list(range(args.loop_from - 1, -1, -1)) + [args.loop_from]
            expected = ([args.loop_from] + run * (len(seq) // len(run) + 1))[:len(seq)]
        ok = seq == expected
        times = [t for t, _ in seconds]
        behind = [t - 1000 * k for k, t in enumerate(times) if k > 0]
        late = [b - min(behind) for b in behind]
        print(f"values received                 {len(seq)} ({'in order, none lost or doubled' if ok else 'WRONG: ' + str(seq[:40])})")
        elapsed = times[-1] - times[1]
        print(f"seconds counted                 {len(times) - 1}, drift {elapsed - 1000 * (len(times) - 2):+.0f} ms")
        print(f"behind the earliest second's grid {spread(late)}")
        if traced:
            zeros = [wall_ms(wall) for t, wall, text in counted if text.strip() == "0"]
            zeros = [z for i, z in enumerate(zeros) if i == 0 or z - zeros[i - 1] > 500]
            plays = sound_starts(trace, wav)
            gaps = [z - p for p, z in zip(plays, zeros)]
            if gaps and len(plays) == len(zeros):
                print(f"sound start to board 0          {spread(gaps)} over {len(gaps)} zeros")
            else:
                print(f"sound start to board 0          {len(plays)} sounds for {len(zeros)} zeros")
    times = [t for t, _, _ in counted]
    intervals = [b - a for a, b in zip(times[1:], times[2:]) if b - a > 50]
    if intervals:
        within = sum(1 for i in intervals if abs(i - 1000) <= 15)
        print(f"interval between seconds        median {statistics.median(intervals):.0f} ms, "
              f"min {min(intervals)} ms, max {max(intervals)} ms, "
              f"{within} of {len(intervals)} within 1000 +- 15 ms")
    if idle_cpu is not None:
        print(f"CPU idle                        {idle_cpu * 100:.2f} % of one core over {args.idle} s")
    print(f"CPU running                     {run_cpu * 100:.2f} % of one core over {args.seconds} s"
          f"{' (under strace)' if traced else ''}")
    print(f"peak RSS                        {rss / 1024:.1f} MiB")
    saved = os.path.getsize(os.path.join(work, "config.dat"))
    print(f"config.dat after close          {saved} bytes")
    if args.keep:
        print(f"working directory               {work}")
    else:
        shutil.rmtree(work, ignore_errors=True)
    return 0 if ok and saved == 596 else 1


if __name__ == "__main__":
    sys.exit(main())
