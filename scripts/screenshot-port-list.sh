#!/usr/bin/env bash
# Screenshot of the open port list with a USB adapter and its tooltip, written to
# docs/screenshots/port-list-adapter.png. No adapter is needed: the board simulator's
# pseudo-terminal stands in for /dev/ttyUSB0, and a fake by-id directory and sysfs entries describe
# it. These are mounted over the real ones in a private mount namespace, so the program runs
# exactly as installed. Needs root (for the mounts), xvfb-run, imagemagick and xdotool.
#   sudo bash scripts/screenshot-port-list.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
out="$root/docs/screenshots/port-list-adapter.png"
byid=usb-FTDI_FT232R_USB_UART_A10KXXXX-if00-port0

if [ "${KADRANT_SHOT_INSIDE:-}" = 1 ]; then
    # In the namespace and the X server: start, open the list, rest on Com3 until its tooltip shows.
    work="$KADRANT_SHOT_WORK"
    cd "$work/home"
    "$build/app/kadrant" >"$work/kadrant.txt" 2>&1 &
    program=$!
    trap 'kill "$program" 2>/dev/null; wait "$program" 2>/dev/null' EXIT
    window=""
    for _ in $(seq 100); do
        window="$(xdotool search --onlyvisible --name '^Kadrant$' 2>/dev/null | head -1)" || true
        [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "screenshot: no main window" >&2; exit 1; }
    sleep 3 # the splash
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # The port list at 48, 25 in the 220 x 214 dialog units of the window.
    xdotool mousemove $((X + (71 * WIDTH + 110) / 220)) $((Y + (30 * HEIGHT + 107) / 214)) click 1
    sleep 1
    # Com3 is the fourth row of the open list, which starts just below the box.
    xdotool mousemove $((X + 100)) $((Y + 95))
    sleep 0.3
    xdotool mousemove_relative 1 0
    sleep 2
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "470x330+$((X - 10))+$((Y - 10))" +repage "$out"
    exit 0
fi

[ "$(id -u)" -eq 0 ] || { echo "screenshot: needs root for the mounts" >&2; exit 1; }
cmake --build "$build" --target kadrant kadrant-boardsim
work="$(mktemp -d /tmp/kadrant-port-shot-XXXXXX)"
simulator=""
made=()
cleanup() {
    [ -n "$simulator" ] && kill "$simulator" 2>/dev/null && wait "$simulator" 2>/dev/null
    for path in "${made[@]}"; do rm -rf "$path"; done
    rm -rf "$work"
}
trap cleanup EXIT

# The fake tree: the by-id name, the tty's sysfs entry and the USB device above it, a UART on
# ttyS0, and an adapter that had Com4 on an earlier day.
mkdir -p "$work/home/ports" "$work/sim" "$work/serial/by-id" "$work/tty/ttyS0" "$work/tty/ttyUSB0"
usb="$work/devices/usb1/1-2"
mkdir -p "$usb/1-2:1.0/ttyUSB0"
echo 0403 >"$usb/idVendor"
echo "FT232R USB UART" >"$usb/product"
echo A10KXXXX >"$usb/serial"
ln -s "$usb/1-2:1.0/ttyUSB0" "$work/tty/ttyUSB0/device"
echo 4 >"$work/tty/ttyS0/type"
ln -s ../../ttyUSB0 "$work/serial/by-id/$byid"
ln -s /dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller_D-if00-port0 \
    "$work/home/ports/Com4"

"$build/tools/kadrant-boardsim" --port 1 --dir "$work/sim" --headless >/dev/null 2>&1 &
simulator=$!
for _ in $(seq 50); do [ -L "$work/sim/ports/Com1" ] && break; sleep 0.1; done
pty="$(readlink "$work/sim/ports/Com1")"

# Mount points for what does not exist on a machine without an adapter.
[ -e /dev/serial ] || { mkdir /dev/serial && made+=(/dev/serial); }
[ -e /dev/ttyUSB0 ] || { touch /dev/ttyUSB0 && made+=(/dev/ttyUSB0); }
mkdir -p "$(dirname "$out")"
KADRANT_SHOT_INSIDE=1 KADRANT_SHOT_WORK="$work" unshare -m bash -c "
    mount --bind '$work/serial' /dev/serial &&
    mount --bind '$pty' /dev/ttyUSB0 &&
    mount --bind '$work/tty' /sys/class/tty &&
    xvfb-run -a -s '-screen 0 1024x768x24' bash '$0' '$build'"
echo "screenshot: $out"
sed 's/^/  kadrant: /' "$work/kadrant.txt"
