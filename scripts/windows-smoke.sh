#!/usr/bin/env bash
# The Windows installer made and used under Wine (tests/e2e/windows_installer_e2e.py): installed
# silently in a fresh prefix, Kadrant started from its Start-menu entry on a pseudo-terminal
# mapped as COM5, counting, closed, killed and resumed, uninstalled. Wine runs as the
# unprivileged user only (scripts/wine-run.sh).
#   bash scripts/windows-smoke.sh [--shot FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
installer="$(bash scripts/windows-installer.sh build-windows | tail -1)"
ls -l "$installer"
python3 tests/e2e/windows_installer_e2e.py --installer "$installer" "$@"
