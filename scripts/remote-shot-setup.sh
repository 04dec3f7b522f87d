# Sourced by remote-page-screenshot.sh and remote-overlay-screenshot.sh: builds kadrant-remote and
# remote_bench, starts the stand-in for Kadrant's control socket (remote_bench --demo) and the
# bridge on 127.0.0.1 in a fresh directory that goes on exit, and gives shot() for headless
# Chromium.
#   source "$(dirname "$0")/remote-shot-setup.sh" NAME MARK [BUILD_DIR]
# NAME names the directory; the bridge counts as started once MARK stands in what it printed.
# Leaves: root, build, work, "$work/out.txt" (the bridge's addresses), pids (stand-in, bridge).
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${3:-$root/build}" && pwd)"
cmake --build "$build" --target kadrant-remote remote_bench >/dev/null
work="$(mktemp -d "/tmp/kadrant-$1-XXXXXX")"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

"$build/bench/remote_bench" --demo "$work" 60 >/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -S "$work/kadrant.sock" ] && break; sleep 0.1; done
"$build/tools/remote/kadrant-remote" --dir "$work" --listen 127.0.0.1:0 >"$work/out.txt" &
pids+=($!)
for _ in $(seq 50); do grep -q "$2" "$work/out.txt" 2>/dev/null && break; sleep 0.1; done

sandbox=()
[ "$(id -u)" -ne 0 ] || sandbox=(--no-sandbox)
# The live events keep a request open for ever: --timeout ends the load and takes the picture
# after 4 s, time for the first states to arrive. timeout(1) guards against a browser that hangs.
#   shot FILE WIDTH,HEIGHT URL
shot() {
    timeout 60 chromium --headless=new "${sandbox[@]}" --disable-gpu --hide-scrollbars \
        --user-data-dir="$work/profile" --window-size="$2" --force-device-scale-factor=1 \
        --timeout=4000 --screenshot="$1" "$3" 2>/dev/null
}
