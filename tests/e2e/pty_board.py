"""The board's end of the line for the end-to-end runs that need no simulator: a pseudo-terminal
whose slave is linked as ports/Com1 in the program's working directory."""

import os
import pty
import select
import time
import tty


def message(text):
    """The 17-byte line message for line 1 with text right-aligned in nine characters."""
    return b"\x02L0\tA" + text.rjust(9).encode() + b"\t\r\n"


class PtyBoard:
    def __init__(self, work):
        self.master, self.slave = pty.openpty()
        tty.setraw(self.master)
        os.makedirs(os.path.join(work, "ports"))
        os.symlink(os.ttyname(self.slave), os.path.join(work, "ports", "Com1"))

    def read(self, quiet=0.4, limit=5.0):
        """What arrives until the line has been quiet for `quiet` seconds (at most `limit`)."""
        data = b""
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline:
            ready, _, _ = select.select([self.master], [], [], quiet)
            if not ready:
                break
            data += os.read(self.master, 4096)
        return data
