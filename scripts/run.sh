#!/usr/bin/env bash
# Installs what is needed, builds Kadrant and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
exec build/app/kadrant "$@"
