#!/usr/bin/python3
"""End-to-end run of the real program's keys and control socket, under an X server.

A pseudo-terminal stands for the board on Com1 (the script reads its bytes itself). kadrant
starts in a fresh directory in Count-up of "Secondes"; xdotool presses F5 (START), clicks
Lap counter, presses Page Down three times and Page Up once, holds Page Down for a second (the
X server repeats it), presses Escape; then the script asks the control socket for the state and
sends "plus", and stops the program with SIGTERM. It prints what the board received after each
step and fails on the first difference.

Run it under an X server, e.g.:  xvfb-run -a -s "-screen 0 1024x768x24" tests/e2e/keys_e2e.py
"""
import argparse
import json
import os
import select
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time

from pty_board import PtyBoard as Board, message
from run_e2e import wait_for_frame
from steps import verdict



def settings_record():
    record = bytearray(596)
    struct.pack_into("<4i", record, 28, 0, 0, 0, 0)
    # portCode, boardType, functionCode (Count-up), displayType ("Secondes"), startTime,
    # secondStartTime, startNumber, lapNumber, initialNumber, inLoop
    struct.pack_into("<10i", record, 44, 1, 1, 1, 2, 0, 0, 7, 0, 7, 0)
    return bytes(record)


failures = []


def sent(board, first=10.0, quiet=0.4):
    """What the board gets for a step that sends: its first byte is waited for (up to `first`
    seconds, however busy the machine), then the rest until the line is quiet."""
    ready, _, _ = select.select([board.master], [], [], first)
    return board.read(quiet=quiet) if ready else b""


def check(step, got, expected):
    ok = got == expected
    print(f"{'ok  ' if ok else 'FAIL'} {step}: {got!r}")
    if not ok:
        print(f"     expected {expected!r}")
        failures.append(step)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--samples", type=int, default=40,
                        help="socket commands timed from the line to the board")
    args = parser.parse_args()
    kadrant = os.path.join(os.path.abspath(args.build), "app", "kadrant")
    work = tempfile.mkdtemp(prefix="kadrant-keys-")
    with open(os.path.join(work, "config.dat"), "wb") as f:
        f.write(settings_record())
    board = Board(work)

    prog = subprocess.Popen([kadrant], cwd=work, stderr=subprocess.PIPE, text=True)
    try:
        window = wait_for_frame(prog.pid)  # the frame, once the splash has gone
        board.read()  # the opening blanks and the first value
        geometry = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                                  capture_output=True, text=True).stdout
        geo = dict(line.split("=") for line in geometry.split())
        x, y, w, h = (int(geo[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        # No window manager: the keyboard goes where the pointer is and where the focus is set.
        subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + 5)], check=True)
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False)
        time.sleep(0.3)

        subprocess.run(["xdotool", "key", "F5"], check=True)
        # START sends the start value at once; the count then sends one a second.
        got = sent(board, quiet=0.3)
        check("F5 in Count-up (START)", got[:17], message("0"))
        time.sleep(1.2)
        board.read()

        # Lap counter, clicked as the operator would (dialog units 21, 82 of 220 x 214).
        subprocess.run(["xdotool", "mousemove", str(x + (21 * w + 110) // 220),
                        str(y + (82 * h + 107) // 214), "click", "1"], check=True)
        got = sent(board)
        check("Lap counter chosen", got[-17:], message("0"))

        for key, text in (("Next", "1"), ("Next", "2"), ("Next", "3"), ("Prior", "2")):
            subprocess.run(["xdotool", "key", key], check=True)
            check(f"{'Page Down' if key == 'Next' else 'Page Up'}", sent(board), message(text))

        subprocess.run(["xdotool", "keydown", "Next"], check=True)
        time.sleep(1.0)
        subprocess.run(["xdotool", "keyup", "Next"], check=True)
        check("Page Down held for 1 s", sent(board), message("3"))

        subprocess.run(["xdotool", "key", "Escape"], check=True)
        time.sleep(0.5)
        check("Escape: still running", prog.poll(), None)
        check("Escape: nothing sent", board.read(), b"")

        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as client:
            client.connect(os.path.join(work, "kadrant.sock"))
            reader = client.makefile("rb")
            client.sendall(b"state\n")
            state = json.loads(reader.readline())
            print(f"     state: {json.dumps(state)}")
            check("socket state: lap", (state["function"], state["lap"], state["line"]),
                  ("lap", 3, "ok"))
            client.sendall(b"plus\n")
            check("socket plus: answer", reader.readline(), b"ok\n")
            check("socket plus: board", sent(board), message("4"))

            # Command to board: from the line written on the socket to the first byte at the
            # board end, for alternating plus and minus, 150 ms apart.
            latencies = []
            for i in range(args.samples):
                started = time.monotonic()
                client.sendall(b"plus\n" if i % 2 == 0 else b"minus\n")
                ready, _, _ = select.select([board.master], [], [], 2.0)
                if ready:
                    latencies.append((time.monotonic() - started) * 1000)
                reader.readline()
                board.read(quiet=0.15)
            latencies.sort()
            if latencies:
                p99 = latencies[min(len(latencies) - 1, int(len(latencies) * 0.99))]
                print(f"     socket command to board: {len(latencies)} of {args.samples}, "
                      f"median {latencies[len(latencies) // 2]:.1f} ms, p99 {p99:.1f} ms, "
                      f"max {latencies[-1]:.1f} ms")
            check("socket latency samples", len(latencies), args.samples)
        mode = os.stat(os.path.join(work, "kadrant.sock")).st_mode & 0o777
        check("socket mode", oct(mode), oct(0o600))

        prog.send_signal(signal.SIGTERM)
        prog.wait(timeout=10)
        check("SIGTERM: socket removed", os.path.exists(os.path.join(work, "kadrant.sock")),
              False)
        with open(os.path.join(work, "config.dat"), "rb") as f:
            saved = f.read()
        check("saved function and lap", struct.unpack_from("<i", saved, 52)[0:1]
              + struct.unpack_from("<i", saved, 72)[0:1], (4, 4))
    finally:
        if prog.poll() is None:
            prog.kill()
        errors = prog.stderr.read() if prog.stderr else ""
        if errors.strip():
            print("kadrant said:", errors.strip())
    return verdict("keys e2e", failures)


if __name__ == "__main__":
    sys.exit(main())
