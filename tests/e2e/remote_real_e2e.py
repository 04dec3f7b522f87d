#!/usr/bin/python3
"""The phone page and the HTTP API of kadrant-remote in front of the real program.

A pseudo-terminal stands for the board on Com1 (the script reads its bytes with timestamps).
kadrant runs on the offscreen platform in a fresh directory in Count-up of "Secondes", and
kadrant-remote beside it on 127.0.0.1. Then:
  1. RESET and START are pressed on the phone page in headless Chromium
     (scripts/remote-page-press.py) and must each put the start number on the board; with
     --shot, the page is photographed at 390 x 844 while the count runs;
  2. the running count's seconds at the board: 10 s quiet, then 10 s while 4 processes send
     GET /api/state at 250/s each (1000 a second), then 5 s quiet again: intervals and drift;
  3. STOP, Lap counter (through the control socket), then + and - alternately over HTTP: the time
     from sending the request to the last byte of the board's message.
Everything stays on 127.0.0.1; every wait is bounded. Needs chromium (scripts/install-deps.sh).

    tests/e2e/remote_real_e2e.py [--build build] [--shot docs/screenshots/remote-page.png]
"""
import argparse
import json
import multiprocessing
import os
import random
import re
import select
import signal
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import time

from procs import stop_all
from pty_board import PtyBoard, message
from steps import Steps

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


# RESET puts the start number on the board, START counts on from it.
START_NUMBER = 1195


def settings_record():
    record = bytearray(596)
    # portCode, boardType, functionCode (Count-up), displayType ("Secondes"), startTime,
    # secondStartTime, startNumber
    struct.pack_into("<7i", record, 44, 1, 1, 1, 2, 0, 0, START_NUMBER)
    return bytes(record)


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


class Board(PtyBoard):
    """The master side of the pseudo-terminal behind ports/Com1, read also message by message."""

    def __init__(self, work):
        super().__init__(work)
        self.pending = b""

    def read_bytes(self, count, limit=2.0):
        data = b""
        deadline = time.monotonic() + limit
        while len(data) < count:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.master], [], [], left)[0]:
                break
            data += os.read(self.master, count - len(data))
        return data

    def messages(self, seconds):
        """Line-0 messages arriving within `seconds`, each with the time of its last byte."""
        rows = []
        deadline = time.monotonic() + seconds
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                break
            if not select.select([self.master], [], [], left)[0]:
                continue
            self.pending += os.read(self.master, 4096)
            now = time.monotonic()
            while len(self.pending) >= 17:
                rows.append((now, self.pending[:17]))
                self.pending = self.pending[17:]
        return rows


class Http:
    """One keep-alive connection to the bridge; reconnects when the bridge closes it."""

    def __init__(self, port, token):
        self.port, self.token, self.sock, self.buffer = port, token, None, b""

    def request(self, method, path, timeout=3.0):
        for _ in range(2):
            if self.sock is None:
                self.sock = socket.create_connection(("127.0.0.1", self.port), timeout=timeout)
                self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
                self.buffer = b""
            sep = "&" if "?" in path else "?"
            self.sock.sendall(f"{method} {path}{sep}token={self.token} HTTP/1.1\r\n"
                              f"Host: 127.0.0.1\r\nContent-Length: 0\r\n\r\n".encode())
            reply = self._response()
            if reply is not None:
                return reply
            self.close()
        raise RuntimeError(f"no answer to {method} {path}")

    def _response(self):
        try:
            while b"\r\n\r\n" not in self.buffer:
                chunk = self.sock.recv(65536)
                if not chunk:
                    return None
                self.buffer += chunk
            head, self.buffer = self.buffer.split(b"\r\n\r\n", 1)
            length = int(re.search(rb"(?i)content-length: *(\d+)", head).group(1))
            while len(self.buffer) < length:
                chunk = self.sock.recv(65536)
                if not chunk:
                    return None
                self.buffer += chunk
            body, self.buffer = self.buffer[:length], self.buffer[length:]
            if re.search(rb"(?i)connection: *close", head):
                self.close()
            return int(head.split()[1]), body
        except (OSError, AttributeError):
            return None

    def close(self):
        if self.sock:
            self.sock.close()
        self.sock = None


def start_kadrant(kadrant, prefix):
    """A fresh directory with the settings record and the board on Com1, and kadrant started in it
    on the offscreen platform: (directory, board, kadrant's process)."""
    work = tempfile.mkdtemp(prefix=prefix)
    with open(os.path.join(work, "config.dat"), "wb") as f:
        f.write(settings_record())
    board = Board(work)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    return work, board, subprocess.Popen([kadrant], cwd=work, env=env, stderr=subprocess.DEVNULL)


def wait_for_api(http, seconds=15):
    """Until Kadrant answers through the bridge; SystemExit after `seconds`."""
    deadline = time.monotonic() + seconds
    while http.request("GET", "/api/state")[0] != 200:
        if time.monotonic() > deadline:
            raise SystemExit("Kadrant never answered through the bridge")
        time.sleep(0.1)


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(len(ordered) * fraction))]


def load_client(port, token, rate, seconds, offset, results):
    """GET /api/state at `rate` a second on one keep-alive connection, on a fixed schedule."""
    http = Http(port, token)
    statuses, took = {}, []
    start = time.monotonic() + offset
    for i in range(int(rate * seconds)):
        due = start + i / rate
        delay = due - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        sent = time.monotonic()
        try:
            status, _ = http.request("GET", "/api/state")
        except (OSError, RuntimeError):
            status = 0
        took.append((time.monotonic() - sent) * 1000)
        statuses[status] = statuses.get(status, 0) + 1
    results.put((statuses, took, time.monotonic() - start))


def seconds_figures(rows, label, earliest):
    """The count's messages in one window: values in order, intervals, and each second's
    lateness against the schedule of the whole run (the second closest to it counts as 0)."""
    values = [int(text[5:14]) for _, text in rows]
    times = [t for t, _ in rows]
    if len(times) < 3:
        print(f"{label}: only {len(times)} messages")
        return False
    intervals = [(b - a) * 1000 for a, b in zip(times, times[1:])]
    late = [(t - v - earliest) * 1000 for t, v in zip(times, values)]
    in_order = values == list(range(values[0], values[0] + len(values)))
    print(f"{label}: {len(values)} seconds {values[0]}..{values[-1]} "
          f"({'in order, none lost or doubled' if in_order else 'WRONG ' + str(values)}); "
          f"interval median {statistics.median(intervals):.1f} ms, min {min(intervals):.1f}, "
          f"max {max(intervals):.1f}; late median {statistics.median(late):.1f} ms, "
          f"max {max(late):.1f}; drift first to last {late[-1] - late[0]:+.1f} ms")
    return in_order


def socket_command(work, line):
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        s.settimeout(3)
        s.connect(os.path.join(work, "kadrant.sock"))
        s.sendall(line.encode() + b"\n")
        return s.makefile("rb").readline().decode().strip()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--shot", help="where to save the page photographed at 390 x 844")
    parser.add_argument("--samples", type=int, default=300, help="+/- commands timed")
    parser.add_argument("--rate", type=int, default=1000, help="state requests a second")
    parser.add_argument("--load-seconds", type=int, default=10)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    work, board, kadrant = start_kadrant(os.path.join(build, "app", "kadrant"),
                                         "kadrant-remote-real-")
    bridge = subprocess.Popen([os.path.join(build, "tools", "remote", "kadrant-remote"),
                               "--dir", work, "--listen", "127.0.0.1:0"],
                              stdout=subprocess.PIPE, text=True)
    steps = Steps("remote real e2e")
    check = steps.check

    try:
        url = None
        signal.alarm(10)  # the bridge prints its addresses at once, in one flush
        for line in bridge.stdout:
            url = re.search(r"http://127\.0\.0\.1:(\d+)/#token=([0-9a-f]{32})", line)
            if url:
                break
        signal.alarm(0)
        if url is None:
            raise SystemExit("the bridge printed no address")
        port, token = int(url.group(1)), url.group(2)
        page = url.group(0)
        http = Http(port, token)
        wait_for_api(http)
        board.read()  # the opening blanks

        # 1. RESET and START on the phone page, in a real browser.
        for button, name, expected in (("b3", "RESET", message(str(START_NUMBER))),
                                       ("b1", "START", message(str(START_NUMBER)))):
            pressed = subprocess.run([sys.executable,
                                      os.path.join(ROOT, "scripts", "remote-page-press.py"),
                                      page, button], capture_output=True, text=True, timeout=60)
            got = board.messages(0.2)
            check(f"{name} pressed in Chromium", pressed.returncode == 0, pressed.stdout.strip())
            check(f"{name} reached the board", bool(got) and got[0][1] == expected,
                  repr(got[0][1] if got else b""))
        if args.shot:
            profile = os.path.join(work, "profile")
            shot = ["chromium", "--headless=new", "--disable-gpu", "--hide-scrollbars",
                    f"--user-data-dir={profile}", "--window-size=390,844",
                    "--force-device-scale-factor=1", "--timeout=4000",
                    f"--screenshot={os.path.abspath(args.shot)}", page]
            if os.geteuid() == 0:
                shot.insert(1, "--no-sandbox")
            subprocess.run(shot, capture_output=True, timeout=60)
            state = json.loads(http.request("GET", "/api/state")[1])
            check("page photographed", os.path.exists(args.shot),
                  f"{args.shot}, line 1 then {state['line1'].strip()!r}")

        # 2. The count's seconds, quiet, under 1000 state requests a second, quiet again.
        board.messages(1.5)  # settle on whole seconds
        quiet = board.messages(10)
        results = multiprocessing.Queue()
        clients = 4
        workers = [multiprocessing.Process(target=load_client,
                                           args=(port, token, args.rate / clients,
                                                 args.load_seconds, i / args.rate, results))
                   for i in range(clients)]
        cpu = [cpu_seconds(kadrant.pid), cpu_seconds(bridge.pid), time.monotonic()]
        for w in workers:
            w.start()
        loaded = board.messages(args.load_seconds + 0.2)
        span = time.monotonic() - cpu[2]
        print(f"CPU under the load: kadrant {(cpu_seconds(kadrant.pid) - cpu[0]) / span:.0%}, "
              f"kadrant-remote {(cpu_seconds(bridge.pid) - cpu[1]) / span:.0%} of one core")
        outcomes = [results.get(timeout=args.load_seconds + 30) for _ in workers]
        for w in workers:
            w.join(timeout=10)
        after = board.messages(5)
        statuses, took, spans = {}, [], []
        for s, t, span in outcomes:
            for k, v in s.items():
                statuses[k] = statuses.get(k, 0) + v
            took += t
            spans.append(span)
        print(f"state requests: {len(took)} in {max(spans):.2f} s, statuses {statuses}; "
              f"round trip median {statistics.median(took):.2f} ms, "
              f"p99 {percentile(took, 0.99):.2f} ms, max {max(took):.1f} ms")
        check("every state request answered 200", statuses == {200: len(took)})
        earliest = min(t - int(text[5:14]) for t, text in quiet + loaded + after)
        check("seconds before the load", seconds_figures(quiet, "before the load", earliest))
        check("seconds under the load", seconds_figures(loaded, "under the load ", earliest))
        check("seconds after the load", seconds_figures(after, "after the load ", earliest))
        whole = quiet + loaded + after
        print(f"whole run: {whole[0][1][5:14].decode().strip()}..{whole[-1][1][5:14].decode().strip()} "
              f"in {(whole[-1][0] - whole[0][0]) * 1000:.1f} ms")

        # 3. Command to board through HTTP: + and - in Lap counter.
        check("STOP over HTTP", http.request("POST", "/api/stop")[0] == 200)
        check("Lap counter through the socket", socket_command(work, "function lap") == "ok")
        board.read()
        # Spaced at random, so that the samples do not lock onto the sending thread's period.
        spacing = random.Random(18)
        to_board, to_answer, wrong = [], [], 0
        for i in range(args.samples):
            command = "plus" if i % 2 == 0 else "minus"
            if http.sock is None:
                http.request("GET", "/api/state")  # (re)connect outside the timed part
            sent = time.monotonic()
            http.sock.sendall(f"POST /api/{command}?token={token} HTTP/1.1\r\n"
                              "Host: 127.0.0.1\r\nContent-Length: 0\r\n\r\n".encode())
            got, reply, board_at, answer_at = b"", None, None, None
            while (board_at is None or answer_at is None) and time.monotonic() < sent + 3:
                waiting = [f for f, at in ((board.master, board_at), (http.sock, answer_at))
                           if at is None]
                for ready in select.select(waiting, [], [], 0.5)[0]:
                    if ready is board.master:
                        got += os.read(board.master, 17 - len(got))
                        if len(got) == 17:
                            board_at = time.monotonic()
                    else:
                        reply = http._response()
                        answer_at = time.monotonic()
            if reply is None:
                http.close()
            if reply and reply[0] == 200 and got == message("1" if command == "plus" else "0"):
                to_board.append((board_at - sent) * 1000)
                to_answer.append((answer_at - sent) * 1000)
            else:
                wrong += 1
            time.sleep(spacing.uniform(0.02, 0.17))
        for name, values in (("HTTP command to the board's last byte", to_board),
                             ("HTTP command to its answer (200)", to_answer)):
            if values:
                print(f"{name}: {len(values)} of {args.samples}, "
                      f"median {statistics.median(values):.2f} ms, "
                      f"p99 {percentile(values, 0.99):.2f} ms, max {max(values):.2f} ms")
        check("every +/- reached the board", wrong == 0, f"{wrong} wrong")

        kadrant.send_signal(signal.SIGTERM)
        check("Kadrant ends on SIGTERM", kadrant.wait(timeout=10) == 0)
        check("then the API answers 503", http.request("GET", "/api/state")[0] == 503)
    finally:
        stop_all((kadrant, bridge), work)
    return steps.verdict()


if __name__ == "__main__":
    sys.exit(main())
