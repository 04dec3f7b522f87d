#!/usr/bin/env bash
# Installs what is needed and builds Kadrant.
#   bash scripts/build.sh [preset] [target...]   preset "default" unless named; every target unless named
#   KADRANT_WERROR=ON|OFF                         warnings as errors (kept in the build directory)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true
bash scripts/install-deps.sh
cmake --preset "$preset" ${KADRANT_WERROR:+-DKADRANT_WERROR=$KADRANT_WERROR} >/dev/null
if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" --target "$@"
else
    cmake --build --preset "$preset"
fi
