#!/usr/bin/env bash
# The test command (CI runs it). Cheap checks first, so that a wrong include or a badly formatted
# file fails in seconds: the folders' dependencies, then the formatting. Then the plain build with
# warnings as errors and every test (the end-to-end checks of tests/e2e/ among them, ctest label
# e2e), the Debian package check, the Windows libraries built from Debian's sources (Qt: about 20
# minutes on a machine without their cache), the Windows build and its tests under Wine, the
# installer installed and used under Wine, the fuzz targets
# (clang) each on its seeds for a bounded time, and the whole suite again under ASan+UBSan and
# under TSan. Each step prints how long it took.
#   KADRANT_QUICK=1 bash scripts/test.sh    the checks, the plain and Windows builds and their tests
set -euo pipefail
cd "$(dirname "$0")/.."
step() {
    local start=$SECONDS
    echo "== $*"
    "$@"
    echo "== $* : $((SECONDS - start)) s"
}
step bash scripts/check-deps.sh
step bash scripts/install-deps.sh
step bash scripts/check-format.sh
step env KADRANT_WERROR=ON bash scripts/build.sh default
step ctest --preset default -j2
step bash scripts/check-package.sh build
step bash scripts/windows-deps.sh
step bash scripts/windows-tests.sh
step bash scripts/windows-smoke.sh
if [ "${KADRANT_QUICK:-0}" != 1 ]; then
    step bash scripts/fuzz.sh
    step bash scripts/sanitizers.sh asan tsan
fi
echo "== test.sh: $SECONDS s in all"
