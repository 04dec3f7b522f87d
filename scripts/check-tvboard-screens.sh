#!/usr/bin/env bash
# Checks the TV board against screens that come and go, on a real X server with two outputs (the
# Xorg dummy driver; Xvfb has one fixed screen): it starts on the second output, moves to the
# first when the second is switched off, returns when it is back, follows a resolution change,
# and Escape ends it with its link removed.
#   bash scripts/check-tvboard-screens.sh [build-dir]
# Needs xserver-xorg-video-dummy, openbox, x11-xserver-utils and xdotool (not in install-deps.sh:
# an X server and a window manager are more than a build needs).
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
fail() { echo "check-tvboard-screens: $*" >&2; exit 1; }
work="$(mktemp -d)"
display=:$((50 + RANDOM % 40))
cat >"$work/xorg.conf" <<'CONF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 3840 1080
    EndSubSection
EndSection
CONF
Xorg "$display" -config "$work/xorg.conf" -noreset -nolisten tcp -logfile "$work/xorg.log" \
    >/dev/null 2>&1 &
server=$!
board=""
wm=""
trap 'kill $board $wm $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY="$display"
for _ in $(seq 50); do xrandr >/dev/null 2>&1 && break; sleep 0.1; done
xrandr --addmode DUMMY1 1280x720
xrandr --addmode DUMMY1 1920x1080
xrandr --output DUMMY0 --mode 1920x1080 --pos 0x0 --output DUMMY1 --mode 1280x720 --pos 1920x0
# A desktop's window manager keeps a full-screen window covering its screen when the screen's
# mode changes; Qt 6.4 on X11 does not report that change to the program itself.
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

"$build/tools/kadrant-boardsim" --fullscreen --port 1 --dir "$work" >/dev/null 2>&1 &
board=$!
for _ in $(seq 50); do [ -L "$work/ports/Com1" ] && break; sleep 0.1; done
sleep 1
window="$(xdotool search --name "Kadrant TV board" | head -1)"
[ -n "$window" ] || fail "no window"
expect() { # what, x, y, width, height
    sleep 3
    local got
    got="$(xdotool getwindowgeometry --shell "$window" | tr '\n' ' ')"
    grep -q "X=$2 Y=$3 WIDTH=$4 HEIGHT=$5 " <<<"$got" || fail "$1: $got"
    echo "  $1: ${4}x$5 at $2,$3"
}
expect "start, on the second screen" 1920 0 1280 720
xrandr --output DUMMY1 --off
expect "second screen unplugged" 0 0 1920 1080
xrandr --output DUMMY1 --mode 1280x720 --pos 1920x0
expect "plugged back" 1920 0 1280 720
xrandr --output DUMMY1 --mode 1920x1080 --pos 1920x0
expect "resolution changed" 1920 0 1920 1080
xdotool windowfocus --sync "$window" key Escape
for _ in $(seq 30); do kill -0 "$board" 2>/dev/null || break; sleep 0.1; done
kill -0 "$board" 2>/dev/null && fail "Escape did not close it"
wait "$board" || fail "it ended with status $?"
board=""
[ -L "$work/ports/Com1" ] && fail "the link is left after Escape"
echo "check-tvboard-screens: OK"
