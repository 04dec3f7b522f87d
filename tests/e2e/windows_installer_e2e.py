#!/usr/bin/env python3
"""The Windows installer, installed and used under Wine as an operator would.

In a fresh Wine prefix (scripts/wine-run.sh: Wine as the unprivileged user only, with the display
of an Xvfb this script starts, the only COM port a pseudo-terminal of tests/support/wine_ptys.py
mapped as COM5, which this script reads as the board):
  - KadrantSetup-*.exe /S installs silently; the Start-menu entries "Kadrant" and
    "Kadrant TV board" are there;
  - "config.dat" in %APPDATA%\\Kadrant chooses Com5 and a count-up from 0;
  - Kadrant started through its Start-menu entry blanks the board's lines, START is clicked, and a
    count arrives once a second for 5 s;
  - the installed bridge, started beside it, answers the state it gets through the named pipe;
  - a clean close (WM_CLOSE, as the window's close box sends) leaves a 596-byte "config.dat";
  - started again, START, killed (taskkill /F) and started again: the count goes on from the second
    it would have reached;
  - the uninstaller (/S) removes the program and leaves "config.dat".

    python3 tests/e2e/windows_installer_e2e.py --installer build-windows/KadrantSetup-1.0-x64.exe
        [--shot docs/screenshots/kadrant-windows.png]
"""
import argparse
import glob
import os
import re
import socket
import struct
import subprocess
import sys
import tempfile
import time

from run_e2e import START, settings_record
from steps import Steps

HERE = os.path.dirname(os.path.abspath(__file__))
WINE_RUN = os.path.join(HERE, "..", "..", "scripts", "wine-run.sh")
MESSAGE = re.compile(rb"\x02L0\tA(.{9})\t\r\n", re.S)
CLEAR = b"\x02L0\tA" + b" " * 9 + b"\t\r\n"  # line 1 blanked
PORT = 5
# Under Wine, on a busy 2-core machine, a program's start takes seconds; every wait is bounded.
SCALE = float(os.environ.get("KADRANT_TIME_SCALE", "5"))

steps = Steps("windows installer e2e")
check = steps.check


class Wine:
    """Calls into one fresh prefix through wine-run.sh, on one X display."""

    def __init__(self, tree, display):
        self.tree = tree
        self.env = dict(os.environ, KADRANT_WINE_DISPLAY=display)

    def run(self, *args, timeout=60 * SCALE):
        return subprocess.run([WINE_RUN, "--tree", self.tree, *args], env=self.env,
                              capture_output=True, text=True, timeout=timeout)

    def launch(self, *args):
        """Starts a program that outlives the call: it must not hold our pipes."""
        subprocess.run([WINE_RUN, "--tree", self.tree, *args], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60 * SCALE)

    def home(self):
        return self.run("--home").stdout.strip()

    def stop(self):
        subprocess.run([WINE_RUN, "--tree", self.tree, "--stop"], env=self.env, timeout=120)


class Board:
    """COM5's pseudo-terminal, read through the pty helper (lines with their arrival times)."""

    def __init__(self, home):
        with open(os.path.join(home, "ptys.address")) as f:
            host, port = f.read().strip().rsplit(":", 1)
        self.sock = socket.create_connection((host, int(port)), timeout=10)
        self.file = self.sock.makefile("rw")
        answer = self.ask(f"open {PORT}")
        assert answer.startswith("ok "), answer
        self.pending = b""

    def ask(self, line):
        self.file.write(line + "\n")
        self.file.flush()
        return self.file.readline().strip()

    def take(self):
        answer = self.ask(f"read {PORT}")
        return bytes.fromhex(answer[3:]) if answer.startswith("ok") else b""

    def raw(self, seconds, until=None):
        data = b""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            data += self.take()
            if until and until(data):
                break
            time.sleep(0.05)
        return data

    def counts(self, seconds, until=None):
        """(time, value) of each counted line-1 text for `seconds` or until `until` accepts one."""
        rows = []
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.pending += self.take()
            now = time.monotonic()
            while (m := MESSAGE.search(self.pending)):
                text = m.group(1).decode(errors="replace").strip()
                if text.isdigit():
                    rows.append((now, int(text)))
                self.pending = self.pending[m.end():]
            if until and rows and until(rows[-1][1]):
                break
            time.sleep(0.05)
        return rows


def find_window(display, timeout):
    deadline = time.monotonic() + timeout
    env = dict(os.environ, DISPLAY=display)
    while time.monotonic() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Kadrant"],
                               capture_output=True, text=True, env=env).stdout.split()
        for window in found:
            name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True,
                                  text=True, env=env).stdout.strip()
            if name.startswith("Kadrant"):  # not the splash ("kadrant")
                return window
        time.sleep(0.2)
    return None


def click_start(display, window):
    env = dict(os.environ, DISPLAY=display)
    subprocess.run(["xdotool", "mousemove", "--window", window, str(START[0]), str(START[1]),
                    "click", "1"], env=env, check=True)


def running(wine):
    """Windows' view (tasklist) or Linux's (a Wine process for kadrant.exe still holds its files)."""
    if "kadrant.exe" in wine.run("tasklist").stdout.lower():
        return True
    for cmdline in glob.glob("/proc/[0-9]*/cmdline"):
        try:
            with open(cmdline, "rb") as f:
                if b"\\kadrant.exe" in f.read().lower():
                    return True
        except OSError:
            continue
    return False


def wait_until(what, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if what():
            return True
        time.sleep(0.2)
    return False


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def check_bridge(wine, program, user, settings_dir):
    port = free_port()
    windows_dir = "C:\\users\\%s\\AppData\\Roaming\\Kadrant" % os.path.basename(user)
    bridge = subprocess.Popen([WINE_RUN, "--tree", wine.tree,
                               os.path.join(program, "kadrant-remote.exe"), "--dir", windows_dir,
                               "--listen", f"127.0.0.1:{port}"], env=wine.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    token_file = os.path.join(settings_dir, "remote-token")
    state = ""
    try:
        deadline = time.monotonic() + 20 * SCALE
        while time.monotonic() < deadline and not state:
            time.sleep(0.3)
            if not os.path.exists(token_file):
                continue
            with open(token_file) as f:
                token = f.read().strip()
            try:
                with socket.create_connection(("127.0.0.1", port), timeout=5) as conn:
                    conn.sendall(f"GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                 f"Authorization: Bearer {token}\r\nConnection: close\r\n\r\n"
                                 .encode())
                    reply = b""
                    while (chunk := conn.recv(4096)):
                        reply += chunk
                state = reply.decode(errors="replace")
            except OSError:
                continue
        body = state.split("\r\n\r\n", 1)[-1]
        print("bridge state:", body.strip()[:160])
        check("the bridge answers the state it got through the named pipe",
              state.startswith("HTTP/1.1 200") and body.lstrip().startswith("{")
              and '"running":true' in body.replace(" ", ""), state[:120])
    finally:
        wine.run("taskkill", "/F", "/IM", "kadrant-remote.exe")
        bridge.wait(timeout=30 * SCALE)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--installer", required=True)
    parser.add_argument("--shot", help="PNG of the screen while Kadrant counts")
    args = parser.parse_args()
    installer = os.path.abspath(args.installer)

    work = tempfile.mkdtemp(prefix="kadrant-wininst-")
    os.chmod(work, 0o755)
    display = ":%d" % (90 + os.getpid() % 100)
    xvfb = subprocess.Popen(["Xvfb", display, "-ac", "-screen", "0", "1024x768x24", "-nolisten",
                             "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wine = Wine(os.path.join(work, "tree"), display)
    try:
        run(args, installer, wine, display)
    finally:
        wine.stop()
        xvfb.terminate()
        xvfb.wait(timeout=10)
    return steps.verdict()


def run(args, installer, wine, display):
    started = time.monotonic()
    wine.run("cmd", "/c", "ver")  # the prefix, its server and the pty helper
    home = wine.home()
    prefix = os.path.join(home, "prefix")
    print(f"prefix ready in {time.monotonic() - started:.1f} s")

    t0 = time.monotonic()
    setup = wine.run(installer, "/S")
    print(f"installed in {time.monotonic() - t0:.1f} s")
    users = [u for u in glob.glob(os.path.join(prefix, "drive_c", "users", "*"))
             if os.path.basename(u) != "Public" and not os.path.islink(u)]
    check("the installer ends with 0", setup.returncode == 0, setup.stderr[-300:])
    check("one Windows user in the prefix", len(users) == 1, str(users))
    user = users[0]
    program = os.path.join(user, "AppData", "Local", "Programs", "Kadrant")
    menu = os.path.join(user, "AppData", "Roaming", "Microsoft", "Windows", "Start Menu",
                        "Programs", "Kadrant")
    for name in ("kadrant.exe", "kadrant-boardsim.exe", "kadrant-remote.exe", "Qt6Widgets.dll",
                 os.path.join("platforms", "qwindows.dll"), "uninstall.exe"):
        check(f"installed {name}", os.path.isfile(os.path.join(program, name)))
    for name in ("Kadrant.lnk", "Kadrant TV board.lnk"):
        check(f"Start menu has {name}", os.path.isfile(os.path.join(menu, name)))

    settings_dir = os.path.join(user, "AppData", "Roaming", "Kadrant")
    config = os.path.join(settings_dir, "config.dat")
    os.makedirs(settings_dir, exist_ok=True)
    record = bytearray(settings_record(0, 0, function=1))  # count-up of seconds from 0
    struct.pack_into("<i", record, 44, PORT)
    with open(config, "wb") as f:
        f.write(record)
    if os.getuid() == 0:
        for path in (settings_dir, config):
            os.chown(path, 65534, 65534)

    board = Board(home)
    link = os.path.join(menu, "Kadrant.lnk")

    def start_kadrant():
        wine.launch("start", "/unix", link)
        return find_window(display, 30 * SCALE)

    # First start: the opening clear lines, then START and a count once a second.
    window = start_kadrant()
    check("Kadrant's window appears from its Start-menu entry", window is not None)
    if window is None:
        return
    opening = board.raw(10 * SCALE, until=lambda data: CLEAR in data)
    check("the board's lines are cleared at the start", CLEAR in opening, opening[:60].hex())
    time.sleep(1.0)  # the splash gives way to the dialog
    window = find_window(display, 10 * SCALE)
    click_start(display, window)
    rows = board.counts(8 * SCALE, until=lambda value: value >= 6)
    values = [v for _, v in rows]
    print("counted:", values)
    ordered = values == sorted(values) and len(set(values)) == len(values)
    check("the count arrives in order, none doubled", len(values) >= 5 and ordered, str(values))
    gaps = [b[0] - a[0] for a, b in zip(rows, rows[1:])]
    print("intervals (s):", " ".join(f"{g:.2f}" for g in gaps))
    if args.shot:
        os.makedirs(os.path.dirname(os.path.abspath(args.shot)), exist_ok=True)
        subprocess.run(["import", "-window", "root", args.shot],
                       env=dict(os.environ, DISPLAY=display), check=False)

    # The bridge, installed beside it, reaches the counting Kadrant through its named pipe.
    check_bridge(wine, program, user, settings_dir)

    # A clean close: the window gets WM_CLOSE, saves and ends.
    wine.run("taskkill", "/IM", "kadrant.exe")
    ended = wait_until(lambda: not running(wine), 20 * SCALE)
    check("Kadrant ends on WM_CLOSE", ended)
    size = os.path.getsize(config) if os.path.exists(config) else -1
    check("config.dat in %APPDATA%\\Kadrant is 596 bytes", size == 596, str(size))

    # Killed mid-count and started again: the count goes on.
    window = start_kadrant()
    check("Kadrant starts again", window is not None)
    if window is None:
        return
    board.raw(10 * SCALE, until=lambda data: CLEAR in data)
    time.sleep(1.0)
    window = find_window(display, 10 * SCALE)
    board.pending = b""
    board.take()
    click_start(display, window)
    start_time = None
    rows = board.counts(10 * SCALE, until=lambda value: value >= 3)
    if rows:
        start_time = rows[-1][0] - rows[-1][1]
    wine.run("taskkill", "/F", "/IM", "kadrant.exe")
    killed = wait_until(lambda: not running(wine), 20 * SCALE)
    check("Kadrant is killed", killed)
    board.pending = b""
    board.take()
    window = start_kadrant()
    check("Kadrant starts after the kill", window is not None)
    rows = board.counts(20 * SCALE, until=lambda value: value > 3)
    resumed = rows[-1] if rows else None
    print("resumed at:", resumed and resumed[1],
          "expected about:", resumed and start_time and round(resumed[0] - start_time))
    check("the count goes on from the second it reached",
          bool(resumed and start_time and abs(resumed[1] - (resumed[0] - start_time)) <= 2),
          str(rows[-3:]))
    wine.run("taskkill", "/IM", "kadrant.exe")
    closed = wait_until(lambda: not running(wine), 20 * SCALE)
    print("the resumed program ended on WM_CLOSE:", closed)
    if not closed:
        wine.run("taskkill", "/F", "/IM", "kadrant.exe")  # a running program cannot be deleted
        check("Kadrant has ended before the uninstaller runs",
              wait_until(lambda: not running(wine), 20 * SCALE))

    # The uninstaller takes the program and its entries, and leaves the settings.
    uninstall = wine.run(os.path.join(program, "uninstall.exe"), "/S")
    wait_until(lambda: not os.path.exists(os.path.join(program, "kadrant.exe")), 30 * SCALE)
    left = sorted(os.listdir(program)) if os.path.isdir(program) else []
    check("the uninstaller removes the program", not left,
          " ".join(left) + " " + uninstall.stderr[-200:])
    check("the uninstaller removes the Start-menu entries",
          not os.path.exists(os.path.join(menu, "Kadrant.lnk")))
    check("the uninstaller leaves config.dat", os.path.isfile(config))


if __name__ == "__main__":
    sys.exit(main())
