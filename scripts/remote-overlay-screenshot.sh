#!/usr/bin/env bash
# The bridge's view-only pages in headless Chromium, against a stand-in for Kadrant's control
# socket (remote_bench --demo, counting up once a second):
#   docs/screenshots/remote-overlay-1920x200.png   /overlay as an OBS browser source would show
#       it, 1920 x 200, in a frame over a checkered page: the checkers between the digits are the
#       overlay's real transparency;
#   docs/screenshots/remote-overlay-options.png    the same with ?color=%23f33&unlit=off&align=left;
#   docs/screenshots/remote-view-1920x1080.png     /view on a 1920 x 1080 screen.
# Everything stays on 127.0.0.1.
#   bash scripts/remote-overlay-screenshot.sh [BUILD_DIR]   (default: build/, the default preset)
# Needs chromium (scripts/install-deps.sh).
set -euo pipefail
source "$(dirname "$0")/remote-shot-setup.sh" overlay-shot '/overlay?token=' "${1:-}"
overlay="$(grep -o 'http://127.0.0.1:[0-9]*/overlay?token=[0-9a-f]*' "$work/out.txt" | head -n 1)"
view="$(grep -o 'http://127.0.0.1:[0-9]*/view?token=[0-9a-f]*' "$work/out.txt" | head -n 1)"
[ -n "$overlay" ] && [ -n "$view" ] || {
    echo "the bridge did not start" >&2
    cat "$work/out.txt" >&2
    exit 1
}

# A grey and white checkerboard, as image editors show transparency, with the overlay framed on
# it at the browser source's size.
checkers() {
    cat >"$work/$1.html" <<HTML
<!doctype html><html><body style="margin:0;background:repeating-conic-gradient(#b4b4b4 0 25%,#fff 0 50%) 0 0/40px 40px">
<iframe src="$2" style="display:block;border:0;width:1920px;height:200px"></iframe></body></html>
HTML
    echo "file://$work/$1.html"
}
shots="$root/docs/screenshots"
mkdir -p "$shots"
shot "$shots/remote-overlay-1920x200.png" 1920,200 "$(checkers plain "$overlay")"
shot "$shots/remote-overlay-options.png" 1920,200 \
    "$(checkers options "$overlay&color=%23f33&unlit=off&align=left")"
shot "$shots/remote-view-1920x1080.png" 1920,1080 "$view"
echo "wrote $shots/remote-overlay-1920x200.png, remote-overlay-options.png, remote-view-1920x1080.png"
