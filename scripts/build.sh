#!/usr/bin/env bash
# Installs what is needed and builds Kadrant (preset "default" unless one is named).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
bash scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
