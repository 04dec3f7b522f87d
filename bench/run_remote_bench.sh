#!/usr/bin/env bash
# Builds kadrant-remote and its benchmark in Release (no Qt) and prints the figures. Loopback only.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-remote-bench}"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKADRANT_BUILD_GUI=OFF \
      -DKADRANT_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" --target kadrant-remote remote_bench -j2 >/dev/null
"$dir/bench/remote_bench" "$dir/tools/remote/kadrant-remote"
