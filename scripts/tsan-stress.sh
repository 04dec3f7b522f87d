#!/usr/bin/env bash
# Builds the line and driver tests under ThreadSanitizer (no Qt) and runs them, the queue's
# producer/consumer stress test included. Any data race fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-line-tsan}"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKADRANT_SANITIZE=thread \
      -DKADRANT_BUILD_GUI=OFF >/dev/null
cmake --build "$dir" --target serial_tests scoreboard_driver_tests scoreboard_stress_tests -j2
# Newer kernels randomise more address bits than this ThreadSanitizer accepts.
run=()
if command -v setarch >/dev/null && setarch "$(uname -m)" -R true 2>/dev/null; then
    run=(setarch "$(uname -m)" -R)
fi
"${run[@]}" ctest --test-dir "$dir" --output-on-failure \
    -R '^(QueueStress|BoardMessages|BoardNone|Driver|TransmissionQueue|QueueOnPty|LineOnPty|LineWrite|SerialOpen)\.'
