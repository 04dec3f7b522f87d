#!/usr/bin/env python3
"""Pseudo-terminals mapped as COM ports of a Wine prefix, for the serial tests run under Wine.

A test (a Windows program, tests/support/WinePtys.h) connects over loopback TCP and sends one
command per line, each answered by one line:
    open N     a new pseudo-terminal, raw, linked as dosdevices/comN  -> "ok /dev/pts/M"
    read N     the bytes its master has now, in hex (possibly none)   -> "ok 0217..."
    write N HEX the bytes written to its master, as the other end sends -> "ok"
    settings N the line settings on it: "ok 9600 8 N 1 ixon=0 opost=0"
    close N    the master closes (a pulled cable); comN leads nowhere -> "ok"
    drop N     comN leads nowhere (a port that is not there)          -> "ok"
N is 1 to 26. A link only ever leads to a pseudo-terminal made here or to nothing (never to the
system's /dev/ttyS*, which Wine would map by itself). When a test's connection ends its links
lead nowhere again; every master stays open until the helper ends, which wine-run.sh does only
after the Wine server has gone, so that no pseudo-terminal number is reused under a live link.
"""
import argparse
import os
import pty
import selectors
import socket
import termios
import tty

NOWHERE = "/nonexistent/kadrant-no-port"
SPEEDS = {getattr(termios, "B%d" % b): b for b in (300, 1200, 2400, 4800, 9600, 19200, 38400, 115200)}


def link(prefix, number, target):
    path = os.path.join(prefix, "dosdevices", "com%d" % number)
    temp = path + ".new"
    if os.path.lexists(temp):
        os.unlink(temp)
    os.symlink(target, temp)
    os.replace(temp, path)


def settings(fd):
    iflag, oflag, cflag, _lflag, _ispeed, ospeed, _cc = termios.tcgetattr(fd)
    size = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}[cflag & termios.CSIZE]
    parity = "N" if not cflag & termios.PARENB else ("O" if cflag & termios.PARODD else "E")
    stop = 2 if cflag & termios.CSTOPB else 1
    return "%s %d %s %d ixon=%d opost=%d" % (SPEEDS.get(ospeed, ospeed), size, parity, stop,
                                             1 if iflag & termios.IXON else 0,
                                             1 if oflag & termios.OPOST else 0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--address-file", required=True)
    parser.add_argument("--pid-file", required=True)
    args = parser.parse_args()
    os.closerange(3, 1024)  # whoever started us must not wait for our copies of their pipes
    with open(args.pid_file, "w") as out:
        out.write("%d\n" % os.getpid())
    for number in range(1, 27):
        link(args.prefix, number, NOWHERE)

    server = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.bind(("127.0.0.1", 0))
    server.listen(8)
    sel = selectors.DefaultSelector()
    sel.register(server, selectors.EVENT_READ)
    kept = []      # every master ever made, open until the end
    clients = {}   # socket -> (pending bytes, {number: master fd})
    with open(args.address_file + ".new", "w") as out:
        out.write("127.0.0.1:%d\n" % server.getsockname()[1])
    os.replace(args.address_file + ".new", args.address_file)

    def answer(ports, line):
        words = line.split()
        count = 3 if words[:1] == ["write"] else 2
        if len(words) != count or not words[1].isdigit() or not 1 <= int(words[1]) <= 26:
            return "error usage"
        verb, number = words[0], int(words[1])
        if verb == "open":
            master, slave = pty.openpty()
            tty.setraw(slave)
            os.set_blocking(master, False)
            name = os.ttyname(slave)
            os.close(slave)
            kept.append(master)
            ports[number] = master
            link(args.prefix, number, name)
            return "ok " + name
        if verb == "drop":
            link(args.prefix, number, NOWHERE)
            return "ok"
        master = ports.get(number)
        if master is None:
            return "error not open"
        if verb == "read":
            data = b""
            try:
                while True:
                    chunk = os.read(master, 4096)
                    if not chunk:
                        break
                    data += chunk
            except (BlockingIOError, OSError):
                pass
            return "ok " + data.hex()
        if verb == "write":
            try:
                data = bytes.fromhex(words[2])
                written = os.write(master, data)
            except (ValueError, OSError) as error:
                return "error " + str(error).replace("\n", " ")
            # A test writes a few messages; the pty's buffer holds thousands of bytes.
            return "ok" if written == len(data) else "error short write"
        if verb == "settings":
            return "ok " + settings(master)
        if verb == "close":
            link(args.prefix, number, NOWHERE)
            kept.remove(master)
            os.close(master)
            del ports[number]
            return "ok"
        return "error usage"

    while True:
        for key, _ in sel.select():
            sock = key.fileobj
            if sock is server:
                conn, _ = server.accept()
                clients[conn] = [b"", {}]
                sel.register(conn, selectors.EVENT_READ)
                continue
            data = sock.recv(4096)
            state = clients[sock]
            if not data:
                for number in state[1]:
                    link(args.prefix, number, NOWHERE)
                sel.unregister(sock)
                sock.close()
                del clients[sock]
                continue
            state[0] += data
            while b"\n" in state[0]:
                line, state[0] = state[0].split(b"\n", 1)
                sock.sendall((answer(state[1], line.decode()) + "\n").encode())


if __name__ == "__main__":
    main()
