#!/usr/bin/env bash
# The remote bridge's phone page in headless Chromium at 390 x 844, against a stand-in for
# Kadrant's control socket (remote_bench --demo): START is pressed in the browser and must reach
# the socket, then docs/screenshots/remote-page-lap.png (lap counter) and remote-page-offline.png
# (the stand-in gone). remote-page.png, a running count, comes from the real program:
# tests/e2e/remote_real_e2e.py --shot docs/screenshots/remote-page.png
# Everything stays on 127.0.0.1.
#   bash scripts/remote-page-screenshot.sh [BUILD_DIR]   (default: build/, the default preset)
# Needs chromium (scripts/install-deps.sh).
set -euo pipefail
source "$(dirname "$0")/remote-shot-setup.sh" remote-shot '/?token=' "${1:-}"
url="$(grep -o 'http://127.0.0.1:[0-9]*/?token=[0-9a-f]*' "$work/out.txt" | head -n 1)"
[ -n "$url" ] || { echo "the bridge did not start" >&2; cat "$work/out.txt" >&2; exit 1; }

# One command line to the stand-in's socket, as the bridge sends them.
say() {
    python3 -c 'import socket,sys
s = socket.socket(socket.AF_UNIX); s.connect(sys.argv[1])
for c in sys.argv[2:]:
    s.sendall((c + "\n").encode()); s.recv(4096)' "$work/kadrant.sock" "$@"
}
shots="$root/docs/screenshots"
mkdir -p "$shots"
# START pressed in the browser must reach the socket.
python3 "$root/scripts/remote-page-press.py" "$url" b1
python3 -c 'import sys,urllib.request
state = urllib.request.urlopen(sys.argv[1].replace("/?token=", "/api/state?token=")).read()
sys.exit(0 if b"\"running\":true" in state else 1)' "$url" \
    || { echo "START pressed in the browser did not reach the socket" >&2; exit 1; }
say "function lap" plus plus plus plus plus plus plus
shot "$shots/remote-page-lap.png" 390,844 "$url"
kill "${pids[0]}"
wait "${pids[0]}" 2>/dev/null || true
shot "$shots/remote-page-offline.png" 390,844 "$url"
echo "wrote $shots/remote-page-lap.png, remote-page-offline.png"
