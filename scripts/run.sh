#!/usr/bin/env bash
# Installs what is needed, builds Kadrant and runs it.
#   bash scripts/run.sh           Kadrant wired to the board simulator on Com1: no hardware needed.
#                                 Settings and port links live in run/demo/ of this checkout.
#   bash scripts/run.sh --unplug-after 20 --replug-after 10
#                                 The same; any other arguments go to the simulator (here: its
#                                 cable pulled after 20 s and plugged back 10 s later).
#   bash scripts/run.sh --board   Kadrant alone, for a real board, in the same per-user directory
#                                 the installed launcher uses (~/.local/share/kadrant).
#   bash scripts/run.sh --tv      Kadrant plus the board full screen on the second screen (a TV or
#                                 projector), both in that per-user directory; choose Com1.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/build.sh default kadrant kadrant-boardsim

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "run.sh: no display; on a machine without one try: xvfb-run -a bash scripts/run.sh" >&2
    exit 1
fi

if [ "${1:-}" = "--board" ]; then
    exec "$root/packaging/kadrant-launcher.sh"
fi

if [ "${1:-}" = "--tv" ]; then
    "$root/packaging/kadrant-tvboard.sh" &
    board=$!
    trap 'kill "$board" 2>/dev/null; wait "$board" 2>/dev/null' EXIT
    link="${XDG_DATA_HOME:-$HOME/.local/share}/kadrant/ports/Com1"
    for _ in $(seq 50); do [ -L "$link" ] && break; sleep 0.1; done
    "$root/packaging/kadrant-launcher.sh"
    exit 0
fi

demo="$root/run/demo"
mkdir -p "$demo"
"$root/build/tools/kadrant-boardsim" --port 1 --dir "$demo" --log "$demo/board.log" "$@" &
simulator=$!
trap 'kill "$simulator" 2>/dev/null; wait "$simulator" 2>/dev/null' EXIT
for _ in $(seq 50); do [ -L "$demo/ports/Com1" ] && break; sleep 0.1; done
cd "$demo"
"$root/build/app/kadrant"
