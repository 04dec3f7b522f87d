#!/usr/bin/python3
"""kadrant-remote over TLS, as a phone on the venue network sees it, all on loopback.

The real kadrant runs offscreen in a fresh directory; kadrant-remote listens on 127.0.0.2 (any
address but 127.0.0.1 and ::1 gets TLS), so it serves HTTPS there and plain HTTP on 127.0.0.1.
  1. the certificate: key file mode 0600; the fingerprint the bridge prints is the SHA-256 of the
     certificate in its directory and of the one a TLS client is served;
  2. a phone client over HTTPS that trusts exactly the printed certificate (the file, its
     fingerprint compared with the printed one; the host name checked): GET /api/state and
     POST /api/reset with the token in the Authorization header;
  3. plain HTTP to the TLS port: no page comes back;
  4. the phone page in headless Chromium over HTTPS (the printed key pin trusted for the run,
     --ignore-certificate-errors-spki-list) from the link with the token in the fragment: it
     becomes usable and a press of START starts the count;
  5. the same page through a recording proxy on loopback in front of the plain port: every request
     line the page makes, and none carries the token.
Every wait is bounded. Needs chromium (scripts/install-deps.sh).

    bench/e2e/remote_tls_e2e.py [--build build] [--screenshot phone.png]
"""
import argparse
import base64
import hashlib
import os
import re
import signal
import socket
import ssl
import subprocess
import sys
import threading
import time

from procs import stop_all
from remote_overlay_e2e import Chromium
from remote_real_e2e import ROOT, socket_command, start_kadrant

HOST = "127.0.0.2"


def fingerprint_of(der):
    return ":".join(f"{b:02X}" for b in hashlib.sha256(der).digest())


def https_request(port, pem, printed, method, path, token):
    """One request over HTTPS trusting only the given certificate: (status, body)."""
    context = ssl.create_default_context(cadata=pem)
    context.check_hostname = True
    with socket.create_connection((HOST, port), timeout=5) as raw:
        with context.wrap_socket(raw, server_hostname=HOST) as tls:
            if fingerprint_of(tls.getpeercert(binary_form=True)) != printed:
                raise SystemExit("the served certificate is not the printed one")
            tls.sendall(f"{method} {path} HTTP/1.1\r\nHost: {HOST}\r\nAuthorization: Bearer "
                        f"{token}\r\nContent-Length: 0\r\nConnection: close\r\n\r\n".encode())
            data = b""
            while True:
                chunk = tls.recv(65536)
                if not chunk:
                    break
                data += chunk
    head, _, body = data.partition(b"\r\n\r\n")
    return int(head.split()[1]), body


class RecordingProxy(threading.Thread):
    """Loopback TCP proxy to `port` that keeps every byte the browser sends."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.upstream, self.sent, self.running = port, [], True
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.listener.settimeout(0.2)
        self.port = self.listener.getsockname()[1]

    def run(self):
        while self.running:
            try:
                client, _ = self.listener.accept()
            except socket.timeout:
                continue
            server = socket.create_connection(("127.0.0.1", self.upstream), timeout=5)
            record = bytearray()
            self.sent.append(record)
            for a, b, keep in ((client, server, record), (server, client, None)):
                threading.Thread(target=self.pipe, args=(a, b, keep), daemon=True).start()

    def pipe(self, source, target, keep):
        source.settimeout(1)
        try:
            while self.running:
                try:
                    data = source.recv(65536)
                except socket.timeout:
                    continue
                if not data:
                    break
                if keep is not None:
                    keep.extend(data)
                target.sendall(data)
        except OSError:
            pass
        for s in (source, target):
            try:
                s.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def request_lines(self):
        lines = []
        for record in self.sent:
            lines += re.findall(rb"(?m)^(?:GET|POST|HEAD|PUT|DELETE|OPTIONS) [^\r\n]*", bytes(record))
        return [line.decode() for line in lines]


def usable(browser, session, limit=10.0):
    start = time.monotonic()
    while time.monotonic() - start < limit:
        if browser.evaluate("(() => { const b = document.getElementById('b1');"
                            " return !!b && !b.disabled; })()", session):
            return time.monotonic() - start
        time.sleep(0.05)
    return None


def running(work):
    return '"running":true' in socket_command(work, "state")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--screenshot", help="PNG of the phone page after the press")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    work, board, kadrant = start_kadrant(os.path.join(build, "app", "kadrant"),
                                         "kadrant-remote-tls-")
    bridge = subprocess.Popen([os.path.join(build, "tools", "remote", "kadrant-remote"), "--dir",
                               work, "--listen", f"{HOST}:0"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    browser, proxy, failures = None, None, 0

    def check(ok, text):
        nonlocal failures
        failures += 0 if ok else 1
        print(("ok   " if ok else "FAIL ") + text)

    try:
        signal.alarm(10)
        printed = ""
        for line in bridge.stdout:
            printed += line
            if "/view#token=" in line:
                break
        signal.alarm(0)
        fingerprint = re.search(r"SHA-256 fingerprint ([0-9A-F:]{95})", printed).group(1)
        pin = re.search(r"key pin \(sha256/\) (\S+)", printed).group(1)
        plain = int(re.search(r"http://127\.0\.0\.1:(\d+)\n", printed).group(1))
        url = re.search(rf"(https://{re.escape(HOST)}:(\d+)/#token=([0-9a-f]{{32}}))", printed)
        link, port, token = url.group(1), int(url.group(2)), url.group(3)
        for _ in range(150):  # Kadrant up behind the bridge
            try:
                if socket_command(work, "state").startswith("{"):
                    break
            except OSError:
                pass
            time.sleep(0.1)

        key_mode = os.stat(os.path.join(work, "remote-tls-key.pem")).st_mode & 0o777
        with open(os.path.join(work, "remote-tls-cert.pem")) as f:
            pem = f.read()
        check(key_mode == 0o600, f"key file mode {key_mode:o}")
        check(fingerprint_of(ssl.PEM_cert_to_DER_cert(pem)) == fingerprint,
              f"printed fingerprint {fingerprint[:23]}... is the certificate's in the directory")

        status, body = https_request(port, pem, fingerprint, "GET", "/api/state", token)
        check(status == 200 and b'"line1"' in body, f"HTTPS GET /api/state: {status}")
        status, _ = https_request(port, pem, fingerprint, "POST", "/api/reset", token)
        check(status == 200, f"HTTPS POST /api/reset: {status}")

        with socket.create_connection((HOST, port), timeout=5) as s:
            s.sendall(b"GET / HTTP/1.1\r\nHost: x\r\n\r\n")
            data = b""
            try:
                while len(data) < 65536:
                    chunk = s.recv(65536)
                    if not chunk:
                        break
                    data += chunk
            except (socket.timeout, ConnectionResetError):
                pass
        check(b"<html" not in data, f"plain HTTP to the TLS port: {len(data)} bytes, no page")

        browser = Chromium(work, [f"--ignore-certificate-errors-spki-list={pin}"])
        session = browser.open("about:blank", 400, 800)
        started = time.monotonic()
        browser.call("Page.navigate", {"url": link}, session)
        took = usable(browser, session)
        check(took is not None and took <= 2.0, f"phone page over HTTPS usable after {took} s")
        check(not running(work), "the count is stopped before the press")
        browser.evaluate("document.getElementById('b1').click()", session)
        deadline = time.monotonic() + 5
        while not running(work) and time.monotonic() < deadline:
            time.sleep(0.05)
        check(running(work), f"START pressed in the page: the count runs "
                             f"({time.monotonic() - started:.2f} s from the page's load)")
        if args.screenshot:
            time.sleep(1.2)
            shot = browser.call("Page.captureScreenshot", {"format": "png"}, session)
            with open(args.screenshot, "wb") as f:
                f.write(base64.b64decode(shot["result"]["data"]))
        socket_command(work, "stop")

        proxy = RecordingProxy(plain)
        proxy.start()
        session = browser.open("about:blank", 400, 800)
        browser.call("Page.navigate", {"url": f"http://127.0.0.1:{proxy.port}/#token={token}"},
                     session)
        took = usable(browser, session)
        browser.evaluate("document.getElementById('b3').click()", session)
        time.sleep(1.0)
        lines = proxy.request_lines()
        print("request lines the page made:\n  " + "\n  ".join(lines))
        check(took is not None and len(lines) >= 4, f"page through the proxy usable after {took} s")
        check(all(token not in line for line in lines), "no token in any request line")
        check(any(line.startswith("POST /api/reset ") for line in lines), "the press went out")
    finally:
        if browser:
            browser.close()
        if proxy:
            proxy.running = False
        stop_all((kadrant, bridge), work)
    print("all checks passed" if failures == 0 else f"{failures} checks FAILED")
    return 0 if failures == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
