#!/usr/bin/env bash
# Builds the whole project and runs every test under AddressSanitizer + UndefinedBehaviorSanitizer
# and under ThreadSanitizer (CMake presets asan and tsan).
#   bash scripts/sanitizers.sh [asan] [tsan]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(asan tsan)
for preset in "${presets[@]}"; do
    echo "== $preset"
    start=$(date +%s)
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset" -j2
    echo "== $preset: $(( $(date +%s) - start )) s"
done
