#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: the plain build, the Debian
# package check, then the whole suite again under ASan+UBSan and under TSan.
#   KADRANT_QUICK=1 bash scripts/test.sh    the plain build and its tests only
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
ctest --preset default -j2
bash scripts/check-package.sh build
if [ "${KADRANT_QUICK:-0}" != 1 ]; then
    bash scripts/sanitizers.sh asan tsan
fi
