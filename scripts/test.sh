#!/usr/bin/env bash
# Installs what is needed, checks the folders' dependencies and the formatting, builds everything
# with warnings as errors and runs every test: the plain build, the Debian package check, then the
# whole suite again under ASan+UBSan and under TSan.
#   KADRANT_QUICK=1 bash scripts/test.sh    the plain build and its tests only
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/check-deps.sh
KADRANT_WERROR=ON bash scripts/build.sh default
bash scripts/check-format.sh
ctest --preset default -j2
bash scripts/check-package.sh build
if [ "${KADRANT_QUICK:-0}" != 1 ]; then
    bash scripts/sanitizers.sh asan tsan
fi
