#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it (the root .clang-format).
# Fix with: git ls-files '*.cpp' '*.h' | xargs clang-format -i
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
echo "check-format: $(git ls-files -- '*.cpp' '*.h' | wc -l) files as clang-format makes them"
