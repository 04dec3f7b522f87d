#!/usr/bin/env bash
# Installs what is needed and builds Kadrant.
#   bash scripts/build.sh [preset] [target...]   preset "default" unless named; every target unless named
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true
bash scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" --target "$@"
else
    cmake --build --preset "$preset"
fi
