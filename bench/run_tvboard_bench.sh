#!/usr/bin/env bash
# CPU of the full-screen board over a running count, on a virtual screen of the given size.
#   bash bench/run_tvboard_bench.sh [seconds] [WIDTHxHEIGHT] [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
size="${2:-1920x1080}"
build="${3:-build}"
cmake --build "$build" --target kadrant-boardsim tvboard_bench -j2 >/dev/null
echo "screen: $size, $seconds s"
xvfb-run -a -s "-screen 0 ${size}x24" \
    "$build/bench/tvboard_bench" "$build/tools/kadrant-boardsim" "$seconds"
