#!/usr/bin/python3
"""kadrant-remote under attack from guests on the venue network, with the operator's phone pressing.

The real kadrant runs offscreen in a fresh directory (Count-up of "Secondes"), a pseudo-terminal
on Com1 is the board, kadrant-remote listens on 127.0.0.1. Two attacker processes, each a peer
address of its own under 127.x.y.z, run at once until the end:
  - 300 connections that send nothing (3 per peer), made again 0.1 s after the bridge closes one;
  - 200 slowloris connections: a request begun, one header byte a second (2 per peer);
  - 140 token-less requesters, one GET /api/state every 4 s each (1 per peer);
  - 128 GET / without the token and 30 with it, each with a Range of 2000 ranges of the whole
    page, one a second each (1 per peer), reading what comes back;
  - view-token slow bodies: 16 peers x 16 connections, each POST /?token=VIEW with
    Content-Length: 1024 and then one body byte every 3 s, made again 0.1 s after a close;
  - 50 view-token live streams from 5 peers (10 each), made again 0.5 s after a close or refusal;
  - a crowd of 320 peers keeping one connection open each, made again 0.1 s after a close.
(--attackers range,range+token runs only some of them.)
Meanwhile the phone (127.0.0.1, with the token) holds its own live stream and makes: 15 s of GET
/api/state once a second while the count runs (its seconds read at the board), then Lap counter
and 20 presses of + once a second, each to be answered and to put its number on the board exactly
once; as the presses begin, the phone page is opened in headless Chromium and timed until its
buttons can be pressed (--no-browser leaves that out). Sampled every 0.5 s: the
bridge's resident memory, threads and open descriptors (the bridge is killed above --rss-cap MB,
so that a bridge that blows up cannot take the machine with it). Loopback only; every phase and
every wait is bounded, and the whole run ends by itself.

    bench/e2e/remote_attack.py [--build build] [--bridge PATH] [--kadrant PATH] [--attackers LIST]
"""
import argparse
import multiprocessing
import os
import re
import select
import selectors
import signal
import socket
import statistics
import subprocess
import sys
import threading
import time

from procs import stop_all
from pty_board import message
from remote_real_e2e import ROOT, Http, percentile, seconds_figures, socket_command, start_kadrant, \
    wait_for_api

# Each range the whole page: a server that applies them builds 2000 copies of it for one request.
# (2000 keeps the header within what the bridge reads, so that the request is served, not refused.)
RANGE = "bytes=" + ",".join(["0-"] * 2000)
KINDS = ("silent", "slowloris", "tokenless", "range", "range+token", "viewbody", "viewstream",
         "crowd")
# Made again this long after the bridge closes one (or refuses it).
AGAIN = {"silent": 0.1, "slowloris": 0.1, "viewbody": 0.1, "viewstream": 0.5, "crowd": 0.1}


class Attacker:
    """One kind of guest: `count` connections from `peers` addresses, each driven by `step`."""

    def __init__(self, name, base, count, peers):
        self.name, self.count = name, count
        self.addresses = [f"127.{base}.{1 + i // 250}.{1 + i % 250}" for i in range(peers)]
        self.opened = self.closed_by_bridge = self.answers = self.refused = 0


def attack(port, token, view, kinds, seconds, done, results):
    """Runs the given kinds of attacker on one selector until `done` is set, `seconds` at most."""
    sel = selectors.DefaultSelector()
    end = time.monotonic() + seconds
    attackers = {
        "silent": Attacker("silent", 10, 300, 100),
        "slowloris": Attacker("slowloris", 11, 200, 100),
        "tokenless": Attacker("tokenless", 12, 140, 140),
        "range": Attacker("range", 13, 128, 128),
        "range+token": Attacker("range+token", 14, 30, 30),
        "viewbody": Attacker("viewbody", 15, 256, 16),
        "viewstream": Attacker("viewstream", 16, 50, 5),
        "crowd": Attacker("crowd", 17, 320, 320),
    }
    conns = {}  # slot -> state
    due = []    # (time, slot) when a slot acts next

    def request(kind):
        if kind == "viewbody":
            return (f"POST /?token={view} HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                    "Content-Length: 1024\r\n\r\n").encode()
        if kind == "viewstream":
            return f"GET /api/events?token={view} HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n".encode()
        if kind == "tokenless":
            return b"GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
        auth = f"Authorization: Bearer {token}\r\n" if kind == "range+token" else ""
        return (f"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n{auth}Range: {RANGE}\r\n\r\n").encode()

    def open_slot(slot):
        kind, i = slot
        a = attackers[kind]
        s = socket.socket()
        s.setblocking(False)
        try:
            s.bind((a.addresses[i % len(a.addresses)], 0))
            s.connect_ex(("127.0.0.1", port))
        except OSError:
            s.close()
            a.refused += 1
            due.append((time.monotonic() + 0.5, slot))
            return
        a.opened += 1
        conns[slot] = s
        sel.register(s, selectors.EVENT_READ, slot)
        if kind == "slowloris":
            send(slot, b"GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Wait: ")
            due.append((time.monotonic() + 1, slot))
        elif kind == "viewbody":
            send(slot, request(kind))
            due.append((time.monotonic() + 3, slot))
        elif kind == "viewstream":
            send(slot, request(kind))
        elif kind in ("tokenless", "range", "range+token"):
            send(slot, request(kind))
            due.append((time.monotonic() + (4 if kind == "tokenless" else 1), slot))

    def send(slot, data):
        try:
            conns[slot].send(data)
        except (BlockingIOError, OSError):
            pass

    def drop(slot, by_bridge):
        s = conns.pop(slot, None)
        if s is None:
            return
        sel.unregister(s)
        s.close()
        if by_bridge:
            attackers[slot[0]].closed_by_bridge += 1

    for kind, a in attackers.items():
        if kind in kinds:
            for i in range(a.count):
                open_slot((kind, i))
    while time.monotonic() < end and not done.is_set():
        due.sort()
        now = time.monotonic()
        while due and due[0][0] <= now:
            _, slot = due.pop(0)
            kind = slot[0]
            if slot not in conns:
                open_slot(slot)
            elif kind == "slowloris":
                send(slot, b"x")
                due.append((now + 1, slot))
            elif kind == "viewbody":
                send(slot, b"x")
                due.append((now + 3, slot))
            elif kind == "tokenless":
                send(slot, request(kind))
                due.append((now + 4, slot))
            else:  # a fresh connection for each many-range request
                drop(slot, False)
                open_slot(slot)
        timeout = max(0.0, min(0.1, (due[0][0] - time.monotonic()) if due else 0.1))
        for key, _ in sel.select(timeout):
            slot = key.data
            try:
                data = conns[slot].recv(65536)
            except (BlockingIOError, KeyError):
                continue
            except OSError:
                data = b""
            if data.startswith(b"HTTP/1.1 "):
                attackers[slot[0]].answers += 1
            if slot[0] == "viewstream" and re.match(rb"HTTP/1.1 [45]", data):
                data = b""  # refused: made again as when closed
            if not data:
                drop(slot, True)
                if slot[0] in AGAIN:
                    due.append((time.monotonic() + AGAIN[slot[0]], slot))
    for slot in list(conns):
        drop(slot, False)
    results.put({k: (a.opened, a.closed_by_bridge, a.answers, a.refused)
                 for k, a in attackers.items() if k in kinds})


def proc_figures(pid):
    fields = {}
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                key, _, value = line.partition(":")
                fields[key] = value.split()[0] if value.split() else ""
        fds = len(os.listdir(f"/proc/{pid}/fd"))
    except (OSError, IndexError):
        return None
    return int(fields["VmRSS"]), int(fields["VmHWM"]), int(fields["Threads"]), fds


class Sampler(threading.Thread):
    def __init__(self, pid, cap_kb):
        super().__init__(daemon=True)
        self.pid, self.cap_kb, self.samples, self.killed_at = pid, cap_kb, [], None
        self.running = True

    def run(self):
        while self.running:
            figures = proc_figures(self.pid)
            if figures is None:
                break
            self.samples.append(figures)
            if figures[0] > self.cap_kb and self.killed_at is None:
                self.killed_at = figures[0]
                os.kill(self.pid, signal.SIGKILL)
            time.sleep(0.5)


class Phone:
    """The operator's phone: one keep-alive connection, made again only when the bridge has closed
    it (seen before sending), and no request ever sent twice: no answer in time is status 0."""

    def __init__(self, port, token):
        self.port, self.token, self.sock = port, token, None

    def timed(self, method, path, timeout=3.0):
        sent = time.monotonic()
        status = 0
        try:
            if self.sock is not None and selectors_readable(self.sock):
                self.close()
            if self.sock is None:
                self.sock = socket.create_connection(("127.0.0.1", self.port), timeout=timeout)
                self.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            self.sock.settimeout(timeout)
            self.sock.sendall(f"{method} {path} HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                              f"Authorization: Bearer {self.token}\r\nContent-Length: 0\r\n\r\n"
                              .encode())
            data = b""
            while b"\r\n\r\n" not in data:
                chunk = self.sock.recv(65536)
                if not chunk:
                    raise OSError("closed")
                data += chunk
            head, body = data.split(b"\r\n\r\n", 1)
            length = int(re.search(rb"(?i)content-length: *(\d+)", head).group(1))
            while len(body) < length:
                chunk = self.sock.recv(65536)
                if not chunk:
                    raise OSError("closed")
                body += chunk
            status = int(head.split()[1])
            if re.search(rb"(?i)connection: *close", head):
                self.close()
        except (OSError, AttributeError, ValueError):
            self.close()
        return status, (time.monotonic() - sent) * 1000

    def close(self):
        if self.sock:
            self.sock.close()
        self.sock = None


def selectors_readable(sock):
    """Readable while idle: the bridge closed it (or sent something unasked)."""
    sel = selectors.DefaultSelector()
    sel.register(sock, selectors.EVENT_READ)
    ready = sel.select(0)
    sel.close()
    return bool(ready)


class PhoneStream(threading.Thread):
    """The phone page's own live stream, held from 127.0.0.1 for the whole run: how often it was
    refused or cut, and whether it was up when the presses began."""

    def __init__(self, port, token):
        super().__init__(daemon=True)
        self.port, self.token, self.running = port, token, True
        self.opened = self.refused = self.cut = 0
        self.up = False

    def run(self):
        while self.running:
            try:
                s = socket.create_connection(("127.0.0.1", self.port), timeout=2)
                s.sendall(f"GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                          f"Authorization: Bearer {self.token}\r\n\r\n".encode())
                head = s.recv(4096)
                if not head.startswith(b"HTTP/1.1 200"):
                    self.refused += 1
                    s.close()
                    time.sleep(0.5)
                    continue
                self.opened += 1
                self.up = True
                s.settimeout(0.5)
                while self.running:
                    try:
                        if not s.recv(65536):
                            break
                    except socket.timeout:
                        continue
                self.up = False
                if self.running:
                    self.cut += 1
                s.close()
            except OSError:
                self.up = False
                self.refused += 1
                time.sleep(0.5)


def page_usable(port, token, work, limit=10.0):
    """Seconds from navigating to the phone page in headless Chromium until its buttons can be
    pressed; None when not within `limit`."""
    from remote_overlay_e2e import Chromium
    browser = Chromium(work)
    try:
        session = browser.open("about:blank", 400, 800)
        start = time.monotonic()
        browser.call("Page.navigate", {"url": f"http://127.0.0.1:{port}/?token={token}"}, session)
        while time.monotonic() - start < limit:
            if browser.evaluate("(() => { const b = document.getElementById('b1');"
                                " return !!b && !b.disabled; })()", session):
                return time.monotonic() - start
            time.sleep(0.05)
        return None
    finally:
        browser.close()


class BoardReader(threading.Thread):
    """Every line message at the board's end, with the time its last byte was read."""

    def __init__(self, board):
        super().__init__(daemon=True)
        self.board, self.rows, self.running, self.pending = board, [], True, b""

    def run(self):
        while self.running:
            if not select.select([self.board.master], [], [], 0.2)[0]:
                continue
            self.pending += os.read(self.board.master, 4096)
            now = time.monotonic()
            while len(self.pending) >= 17:
                self.rows.append((now, self.pending[:17]))
                self.pending = self.pending[17:]

    def between(self, start, end):
        return [(t, m) for t, m in list(self.rows) if start <= t < end]


def latency(label, rows):
    took = [t for _, t in rows]
    statuses = {}
    for s, _ in rows:
        statuses[s] = statuses.get(s, 0) + 1
    print(f"{label}: {len(rows)} requests, statuses {statuses}; answer median "
          f"{statistics.median(took):.1f} ms, p99 {percentile(took, 0.99):.1f} ms, "
          f"max {max(took):.1f} ms")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--bridge", help="kadrant-remote to attack (default: the build's)")
    parser.add_argument("--kadrant", help="kadrant behind it (default: the build's)")
    parser.add_argument("--rss-cap", type=int, default=2048, help="MB at which the bridge is killed")
    parser.add_argument("--attackers", default=",".join(KINDS), help="which of " + ", ".join(KINDS))
    parser.add_argument("--no-browser", action="store_true", help="no phone page in Chromium")
    args = parser.parse_args()
    chosen = [k for k in args.attackers.split(",") if k in KINDS]
    build = os.path.abspath(args.build)
    bridge_path = args.bridge or os.path.join(build, "tools", "remote", "kadrant-remote")
    kadrant_path = args.kadrant or os.path.join(build, "app", "kadrant")
    work, board, kadrant = start_kadrant(kadrant_path, "kadrant-remote-attack-")
    bridge = subprocess.Popen([bridge_path, "--dir", work, "--listen", "127.0.0.1:0"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    workers, sampler, stop_at = [], None, None
    try:
        signal.alarm(10)
        for line in bridge.stdout:
            # The token after ? (bridges before the fragment) or # (since).
            url = re.search(r"http://127\.0\.0\.1:(\d+)/[?#]token=([0-9a-f]{32})", line)
            if url:
                break
        signal.alarm(0)
        port, token = int(url.group(1)), url.group(2)
        with open(os.path.join(work, "remote-view-token")) as f:
            view = f.read().strip()
        http = Http(port, token)
        wait_for_api(http)
        http.close()
        assert socket_command(work, "reset") == "ok" and socket_command(work, "start") == "ok"
        board.read()
        before = proc_figures(bridge.pid)
        sampler = Sampler(bridge.pid, args.rss_cap * 1024)
        sampler.start()

        results = multiprocessing.Queue()
        done = multiprocessing.Event()
        seconds = 3 + 16 + 20 * 3 + 5  # warm-up, phase 1, phase 2 at its slowest, margin
        for group in (("silent", "slowloris", "tokenless"), ("range", "range+token"),
                      ("viewbody", "viewstream", "crowd")):
            kinds = [k for k in group if k in chosen]
            if not kinds:
                continue
            w = multiprocessing.Process(target=attack,
                                        args=(port, token, view, kinds, seconds, done, results))
            w.start()
            workers.append(w)
        stop_at = time.monotonic() + seconds
        reader = BoardReader(board)
        reader.start()
        stream = PhoneStream(port, token)
        stream.start()
        time.sleep(3)  # the attack at full strength before the phone starts

        # Phase 1: the count runs; the phone asks for the state once a second.
        phone = Phone(port, token)
        states, presses = [], []
        start = time.monotonic()
        for i in range(15):
            time.sleep(max(0.0, start + i - time.monotonic()))
            states.append(phone.timed("GET", "/api/state"))
        time.sleep(max(0.0, start + 15 - time.monotonic()))
        rows = reader.between(start, time.monotonic())
        # Phase 2: Lap counter, + once a second.
        assert socket_command(work, "stop") == "ok" and socket_command(work, "function lap") == "ok"
        assert socket_command(work, "reset") == "ok"
        time.sleep(0.5)
        usable = []
        if not args.no_browser:
            page = threading.Thread(target=lambda: usable.append(page_usable(port, token, work)),
                                    daemon=True)
            page.start()
        stream_up = stream.up
        start = time.monotonic()
        for i in range(20):
            time.sleep(max(0.0, start + i - time.monotonic()))
            presses.append(phone.timed("POST", "/api/plus"))
        time.sleep(1.5)
        if not args.no_browser:
            page.join(timeout=30)
        stream.running = False
        got = b"".join(m for _, m in reader.between(start, time.monotonic()))
        reader.running = False
        done.set()
        expected = b"".join(message(str(n)) for n in range(1, 21))

        print(f"bridge {bridge_path}; attackers: {', '.join(chosen)}")
        attack_figures = {}
        for w in workers:
            attack_figures.update(results.get(timeout=seconds + 30))
        for kind, (opened, closed, answers, refused) in attack_figures.items():
            print(f"  attacker {kind:12s}: {opened} connections made, {closed} closed by the "
                  f"bridge, {answers} answers, {refused} could not connect")
        latency("phone, GET /api/state once a second while counting", states)
        latency("phone, POST /api/plus once a second", presses)
        print(f"phone's live stream: opened {stream.opened}, refused {stream.refused}, cut "
              f"{stream.cut}; up when the presses began: {stream_up}")
        if usable:
            print("phone page in Chromium: " + (f"usable after {usable[0]:.2f} s" if usable[0]
                                                 is not None else "NOT usable within 10 s"))
        on_time = [t for s, t in states + presses if s == 200 and t <= 500]
        print(f"answers within 500 ms: {len(on_time)} of {len(states) + len(presses)}")
        board_values = [int(got[i + 5:i + 14]) for i in range(0, len(got) - 16, 17)]
        print(f"board after 20 presses: {board_values} "
              f"({'each press once, in order' if got == expected else 'NOT each press once'})")
        earliest = min(t - int(text[5:14]) for t, text in rows) if rows else 0
        seconds_figures(rows, "Kadrant's seconds during the attack", earliest)
        sampler.running = False
        sampler.join(timeout=2)
        if sampler.samples:
            rss = [s[0] for s in sampler.samples]
            print(f"bridge RSS before {before[0] / 1024:.1f} MB, max {max(rss) / 1024:.1f} MB, "
                  f"last {rss[-1] / 1024:.1f} MB; threads max {max(s[2] for s in sampler.samples)}, "
                  f"open descriptors max {max(s[3] for s in sampler.samples)}")
        if sampler.killed_at:
            print(f"bridge KILLED at {sampler.killed_at / 1024:.0f} MB resident (cap {args.rss_cap} MB)")
    finally:
        for w in workers:
            w.join(timeout=max(1, (stop_at or 0) - time.monotonic() + 10))
            if w.is_alive():
                w.terminate()
        stop_all((kadrant, bridge), work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
