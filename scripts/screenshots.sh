#!/usr/bin/env bash
# Screenshots of the splash and of the main window in Count-up and in Lap counter mode, taken
# under Xvfb with the board simulator on Com1, written to docs/screenshots/.
#   bash scripts/screenshots.sh              builds with the default preset (build/)
#   bash scripts/screenshots.sh BUILD_DIR    uses (and builds) an existing build directory
# Needs xvfb-run, imagemagick and xdotool (scripts/install-deps.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/docs/screenshots"

if [ "${KADRANT_SHOTS_INSIDE:-}" != 1 ]; then
    if [ $# -ge 1 ]; then
        build="$(cd "$1" && pwd)"
        cmake --build "$build" --target kadrant kadrant-boardsim
    else
        build="$root/build"
        cd "$root"
        [ -f "$build/build.ninja" ] || cmake --preset default
        cmake --build --preset default --target kadrant kadrant-boardsim
    fi
    export KADRANT_SHOTS_INSIDE=1 KADRANT_SHOTS_BUILD="$build"
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0"
fi

# Inside the X server from here on.
build="$KADRANT_SHOTS_BUILD"
work="$(mktemp -d /tmp/kadrant-shots-XXXXXX)"
simulator=""
program=""
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null && wait "$program" 2>/dev/null
    [ -n "$simulator" ] && kill "$simulator" 2>/dev/null && wait "$simulator" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$out"
cd "$work"

"$build/tools/kadrant-boardsim" --port 1 --dir "$work" --log "$work/board.log" --headless \
    >"$work/board.txt" 2>&1 &
simulator=$!
for _ in $(seq 50); do [ -L "$work/ports/Com1" ] && break; sleep 0.1; done
[ -L "$work/ports/Com1" ] || { echo "screenshots: the board simulator did not start" >&2; exit 1; }

# No config.dat: the first start chooses Com1, the board, Count-up and "hhmmss".
"$build/app/kadrant" &
program=$!

# The splash: 310 x 160 centred on the screen, taken with a margin.
sleep 1
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 330x180+347+294 +repage "$out/splash.png"

# The main window once the splash has closed itself (2.5 s).
window=""
for _ in $(seq 60); do
    window="$(xdotool search --onlyvisible --name '^Kadrant$' 2>/dev/null | head -1)" || true
    [ -n "$window" ] && [ -n "$(xdotool getwindowgeometry "$window" 2>/dev/null)" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "screenshots: no main window" >&2; exit 1; }
sleep 2.5
eval "$(xdotool getwindowgeometry --shell "$window")"

# Clicks at the middle of a control given in dialog units (the dialog is 220 x 214 units and
# fills the window).
click_units() {
    local px=$((X + ($1 * WIDTH + 110) / 220)) py=$((Y + ($2 * HEIGHT + 107) / 214))
    xdotool mousemove "$px" "$py" click 1
    sleep 0.3
}
shoot() {
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/$1"
}

# Count-up from 01:02:03: the start time typed, RESET, START, two seconds counted.
xdotool windowfocus "$window" 2>/dev/null || true
click_units 146 75
xdotool key Home # the click put the caret where it landed
xdotool type --delay 80 "010203"
sleep 0.3
click_units 169 203 # RESET
click_units 52 203  # START
sleep 2.3
shoot main-countup.png

# Lap counter: the plus button three times, the minus button once.
click_units 21 82
for _ in 1 2 3; do click_units 52 203; done
click_units 111 203
sleep 0.5
shoot main-lapcounter.png

# The stop signal closes and saves like any close (Escape does nothing in the main window).
kill -TERM "$program"
for _ in $(seq 30); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
program=""

echo "screenshots: written to $out"
echo "screenshots: the last lines the board received:"
tail -n 6 "$work/board.txt"
