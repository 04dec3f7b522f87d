#!/usr/bin/env bash
# Runs a Windows program of a build tree under Wine, as the tests need it (cmake/mingw-w64.cmake
# makes it ctest's emulator).
#
# Safety: Wine maps COM1, COM2... to /dev/ttyS0, /dev/ttyS1... by itself, and /dev/ttyS0 may be
# the machine's console. So Wine runs as the unprivileged user 65534 (setpriv, no groups), with a
# HOME and WINEPREFIX of its own in a temporary folder, and the only COM ports mapped are the
# pseudo-terminals of tests/support/wine_ptys.py. Without root the caller must already be a user
# who cannot open any /dev/ttyS*.
#
# One prefix and one persistent Wine server per build tree, set up by the first call (about 12 s),
# so that every later call takes about 0.05 s. Beside them runs wine_ptys.py, from which a test
# asks for pseudo-terminals mapped as COM ports (KADRANT_WINE_PTYS gives its address).
#   wine-run.sh --tree BUILD_DIR program.exe [arguments...]
#   wine-run.sh --tree BUILD_DIR --stop     ends the server, then the pty helper; removes the folder
#   KADRANT_WINE_DISPLAY=:N                 the X display of every Wine call of that tree
#   wine-run.sh --tree BUILD_DIR --home     prints the folder that is the Wine user's HOME
set -euo pipefail
if [ "${1:-}" != --tree ] || [ $# -lt 3 ]; then
    echo "usage: wine-run.sh --tree BUILD_DIR (program.exe [arguments...] | --stop)" >&2
    exit 2
fi
tree=$(realpath -m "$2")
shift 2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
state=${TMPDIR:-/tmp}/kadrant-wine-$(printf %s "$tree" | md5sum | cut -c1-12)
home=$state/home

# Runs the command as the Wine user (in place of this shell with RUN=exec).
as_wine_user() {
    local vars=(HOME="$home" WINEPREFIX="$home/prefix" WINEDEBUG=-all WINEARCH=win64
        WINEDLLOVERRIDES="mscoree,mshtml=" PATH=/usr/bin:/bin LANG=C.UTF-8
        KADRANT_WINE_PTYS="$(cat "$home/ptys.address" 2>/dev/null || true)")
    # A program with windows (the installed program's smoke test) gets the display the caller
    # names; everything else runs without one.
    [ -z "${KADRANT_WINE_DISPLAY:-}" ] || vars+=(DISPLAY="$KADRANT_WINE_DISPLAY")
    local name
    for name in $(compgen -e | grep -E '^(KADRANT_|GTEST_)' || true); do
        [ "$name" = KADRANT_WINE_PTYS ] || vars+=("$name=${!name}")
    done
    if [ "$(id -u)" = 0 ]; then
        ${RUN:-} setpriv --reuid=65534 --regid=65534 --clear-groups env -i "${vars[@]}" "$@"
    else
        ${RUN:-} env -i "${vars[@]}" "$@"
    fi
}

if [ "$(id -u)" != 0 ]; then
    for tty in /dev/ttyS*; do
        if [ -e "$tty" ] && { [ -r "$tty" ] || [ -w "$tty" ]; }; then
            echo "wine-run: $(id -un) may open $tty; run as root (Wine then runs as uid 65534) or as a user who cannot" >&2
            exit 2
        fi
    done
fi

stop() {
    [ -d "$state" ] || return 0
    if [ -d "$home/prefix" ]; then
        as_wine_user wineserver -k 2>/dev/null || true
        # The pseudo-terminals' masters stay open until no Wine process can hold their slaves.
        as_wine_user wineserver -w 2>/dev/null || true
    fi
    if [ -s "$home/ptys.pid" ]; then
        kill "$(cat "$home/ptys.pid")" 2>/dev/null || true
    fi
    rm -rf "$state"
}

if [ "$1" = --home ]; then
    echo "$home"
    exit 0
fi
if [ "$1" = --stop ]; then
    stop
    exit 0
fi

mkdir -p "$state"
exec 9>"$state/lock"
flock 9
if [ ! -f "$state/ready" ]; then
    mkdir -p "$home"
    chmod 700 "$home"
    [ "$(id -u)" != 0 ] || chown 65534:65534 "$home"
    as_wine_user mkdir -p "$home/prefix"
    # The server and the services that wineboot starts outlive this call: they get the log, not
    # the caller's pipes, for which ctest would wait.
    as_wine_user wineserver -p </dev/null >>"$state/wine.log" 2>&1
    as_wine_user wineboot -i </dev/null >>"$state/wine.log" 2>&1
    # No display: windows (the device watch's message-only one) need no graphics driver. With
    # one, every call must name the same: Wine's desktop process keeps the first call's.
    if [ -z "${KADRANT_WINE_DISPLAY:-}" ]; then
        as_wine_user wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
            </dev/null >>"$state/wine.log" 2>&1
    fi
    # The pseudo-terminals' helper, in a session of its own; it closes every descriptor it was
    # given (the lock, ctest's pipes), so that nobody waits for it.
    (RUN=exec as_wine_user setsid python3 "$source_dir/tests/support/wine_ptys.py" \
        --prefix "$home/prefix" --address-file "$home/ptys.address" --pid-file "$home/ptys.pid" \
        </dev/null >>"$state/ptys.log" 2>&1) &
    for _ in $(seq 100); do
        [ -s "$home/ptys.address" ] && break
        sleep 0.1
    done
    [ -s "$home/ptys.address" ] || { echo "wine-run: the pty helper did not start" >&2; exit 1; }
    touch "$state/ready"
fi
flock -u 9
exec 9>&-

as_wine_user wine "$@"
