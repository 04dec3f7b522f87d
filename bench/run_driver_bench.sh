#!/usr/bin/env bash
# Builds the driver benchmark in Release (no Qt) and prints its figures.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-line-bench}"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKADRANT_BUILD_GUI=OFF \
      -DKADRANT_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" --target driver_bench -j2 >/dev/null
"$dir/bench/driver_bench"
