#!/usr/bin/env bash
# The Windows build (cmake/mingw-w64.cmake: the Qt-free libraries, the Windows platform code and
# their tests) with warnings as errors, and its tests under Wine as the unprivileged user
# (scripts/wine-run.sh). The Wine server and the pseudo-terminals' helper end with the step.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset windows "${launcher[@]}" >/dev/null
cmake --build --preset windows -j2
trap 'bash scripts/wine-run.sh --tree build-windows --stop' EXIT
ctest --preset windows -j2
