#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks it: its contents, its declared
# dependencies, and the packaged program started through its launcher from a temporary root.
#   bash scripts/check-package.sh [build-dir]
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
packaging="$(cd "$(dirname "$0")/../packaging" && pwd)"
fail() { echo "check-package: $*" >&2; exit 1; }

cd "$build"
cpack -G DEB >/dev/null
deb="$(ls -t kadrant_*_amd64.deb | head -1)"

contents="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for path in ./usr/bin/kadrant ./usr/bin/kadrant-launcher ./usr/bin/kadrant-boardsim \
            ./usr/bin/kadrant-ports \
            ./usr/bin/kadrant-remote \
            ./usr/share/applications/kadrant.desktop \
            ./usr/bin/kadrant-tvboard ./usr/share/applications/kadrant-tvboard.desktop \
            ./usr/share/icons/hicolor/32x32/apps/kadrant.png \
            ./usr/share/icons/hicolor/64x64/apps/kadrant.png; do
    grep -qx -- "$path" <<<"$contents" || fail "$deb lacks $path"
done

depends="$(dpkg-deb -f "$deb" Depends)"
for package in libqt6widgets6 libqt6gui6 libqt6multimedia6 qt6-qpa-plugins fonts-liberation libc6 \
               libmicrohttpd12 libqrencode4; do
    grep -q "\b$package\b" <<<"$depends" || fail "$deb does not depend on $package"
done

root="$(mktemp -d)"
home="$(mktemp -d)"
trap 'rm -rf "$root" "$home"' EXIT
dpkg-deb -x "$deb" "$root"
# What is installed is packaging/'s files as they are (the launchers only lose their ".sh").
for pair in kadrant-launcher.sh:usr/bin/kadrant-launcher kadrant-tvboard.sh:usr/bin/kadrant-tvboard \
            kadrant.desktop:usr/share/applications/kadrant.desktop \
            kadrant-tvboard.desktop:usr/share/applications/kadrant-tvboard.desktop; do
    cmp -s "$packaging/${pair%%:*}" "$root/${pair#*:}" || fail "/${pair#*:} is not packaging/${pair%%:*}"
done
desktop-file-validate "$root/usr/share/applications/kadrant.desktop" || fail "desktop entry invalid"
grep -q '^Categories=Utility;' "$root/usr/share/applications/kadrant.desktop" || fail "not in Utility"
desktop-file-validate "$root/usr/share/applications/kadrant-tvboard.desktop" ||
    fail "TV board desktop entry invalid"
grep -q '^Name=Kadrant TV board$' "$root/usr/share/applications/kadrant-tvboard.desktop" ||
    fail "TV board entry misnamed"
if ldd "$root/usr/bin/kadrant" | grep -q "not found"; then fail "unresolved libraries"; fi

# The launcher makes the per-user directory and the program creates its settings there.
status=0
HOME="$home" XDG_DATA_HOME="" QT_QPA_PLATFORM=offscreen \
    timeout 5 "$root/usr/bin/kadrant-launcher" >/dev/null 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "the packaged program ended by itself (status $status)"
config="$home/.local/share/kadrant/config.dat"
[ -f "$config" ] || fail "no $config"
[ "$(stat -c %s "$config")" -eq 596 ] || fail "$config is not 596 bytes"
[ -d "$home/.local/share/kadrant/ports" ] || fail "no ports/ directory"
# kadrant-ports works in that same directory: 26 Com numbers listed.
rows="$(HOME="$home" XDG_DATA_HOME="" "$root/usr/bin/kadrant-ports" | grep -c '^Com')" ||
    fail "kadrant-ports failed"
[ "$rows" -eq 26 ] || fail "kadrant-ports listed $rows Com numbers, not 26"

# The TV board links Com1 there while it runs and removes the link when stopped.
HOME="$home" XDG_DATA_HOME="" QT_QPA_PLATFORM=offscreen "$root/usr/bin/kadrant-tvboard" \
    >/dev/null 2>&1 &
board=$!
link="$home/.local/share/kadrant/ports/Com1"
for _ in $(seq 50); do [ -L "$link" ] && break; sleep 0.1; done
[ -L "$link" ] || { kill "$board" 2>/dev/null; fail "the TV board made no $link"; }
kill "$board"
wait "$board" || true
[ ! -e "$link" ] && [ ! -L "$link" ] || fail "the TV board left $link behind"

# The remote bridge starts on loopback, makes its token beside the settings and prints the page.
if ldd "$root/usr/bin/kadrant-remote" | grep -q "not found"; then fail "kadrant-remote: unresolved libraries"; fi
HOME="$home" XDG_DATA_HOME="" timeout 2 "$root/usr/bin/kadrant-remote" --listen 127.0.0.1:0 \
    >"$home/remote.txt" 2>&1 || true
[ -f "$home/.local/share/kadrant/remote-token" ] || fail "kadrant-remote made no token"
grep -q "http://127.0.0.1:[0-9]*/#token=" "$home/remote.txt" || fail "kadrant-remote printed no page address"

echo "check-package: $deb: contents, dependencies and start-up OK"
echo "  Depends: $depends"
