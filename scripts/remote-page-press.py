#!/usr/bin/env python3
"""Presses one button of the remote bridge's phone page in headless Chromium, as a thumb would.

    remote-page-press.py URL BUTTON     (BUTTON: b1 START/+, b2 STOP/-, b3 RESET)

Chromium is driven over its DevTools pipe (file descriptors 3 and 4), so nothing listens on a
port. Waits until the page has the state (the button enabled), clicks, and leaves a second for
the command to go out. Exit 0 when clicked, 1 when the button never became usable.
"""
import json
import os
import shutil
import subprocess
import sys
import time


def main():
    url, button = sys.argv[1], sys.argv[2]
    to_chrome_r, to_chrome_w = os.pipe()
    from_chrome_r, from_chrome_w = os.pipe()

    def wire_pipes():
        os.dup2(to_chrome_r, 3)
        os.dup2(from_chrome_w, 4)

    args = ["chromium", "--headless=new", "--disable-gpu", "--remote-debugging-pipe",
            "--user-data-dir=/tmp/kadrant-remote-press-%d" % os.getpid(),
            "--window-size=390,844", "about:blank"]
    if os.geteuid() == 0:
        args.insert(1, "--no-sandbox")
    browser = subprocess.Popen(args, preexec_fn=wire_pipes, pass_fds=(3, 4),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(to_chrome_r)
    os.close(from_chrome_w)
    state = {"buffer": b"", "id": 0}

    def call(method, params=None, session=None):
        state["id"] += 1
        message = {"id": state["id"], "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(to_chrome_w, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in state["buffer"]:
                chunk = os.read(from_chrome_r, 65536)
                if not chunk:
                    raise RuntimeError("chromium closed its pipe")
                state["buffer"] += chunk
            raw, state["buffer"] = state["buffer"].split(b"\0", 1)
            reply = json.loads(raw)
            if reply.get("id") == state["id"]:
                return reply

    def evaluate(expression, session):
        reply = call("Runtime.evaluate", {"expression": expression}, session)
        return reply["result"]["result"].get("value")

    clicked = False
    try:
        target = call("Target.createTarget", {"url": url})["result"]["targetId"]
        session = call("Target.attachToTarget",
                       {"targetId": target, "flatten": True})["result"]["sessionId"]
        usable = "(b => b && !b.disabled)(document.getElementById('%s'))" % button
        for _ in range(100):
            if evaluate(usable, session):
                evaluate("document.getElementById('%s').click()" % button, session)
                clicked = True
                break
            time.sleep(0.1)
        time.sleep(1)
        call("Browser.close")
        browser.wait(timeout=10)
    finally:
        if browser.poll() is None:
            browser.kill()
        shutil.rmtree("/tmp/kadrant-remote-press-%d" % os.getpid(), ignore_errors=True)
    print("pressed %s" % button if clicked else "%s never became usable" % button)
    return 0 if clicked else 1


if __name__ == "__main__":
    sys.exit(main())
