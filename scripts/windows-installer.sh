#!/usr/bin/env bash
# Makes the Windows installer KadrantSetup-<version>-x64.exe (packaging/windows/kadrant.nsi) from
# the Windows build: builds Qt and the other Windows libraries first if their cache is missing
# (scripts/windows-deps.sh), the three programs, lays them out with `cmake --install` and hands
# that folder to makensis. Prints the installer's path last.
#   bash scripts/windows-installer.sh [build dir]     build-windows unless named
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
bash scripts/install-deps.sh >/dev/null
bash scripts/windows-deps.sh >/dev/null
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset windows -B "$build" "${launcher[@]}" >/dev/null
grep -q '^KADRANT_BUILD_GUI:BOOL=ON' "$build/CMakeCache.txt" ||
    { echo "windows-installer: $build has no Qt for Windows (KADRANT_BUILD_GUI is off)" >&2; exit 1; }
cmake --build "$build" -j2 --target kadrant kadrant-boardsim kadrant-remote
build="$(cd "$build" && pwd)"

stage="$build/stage"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" --strip >/dev/null
convert resources/pictures/10-32.png resources/pictures/10-64.png "$stage/kadrant.ico"

# The installer's File lines and the uninstaller's Delete lines, from the same walk of the stage,
# so that the uninstaller removes exactly what was installed.
files="$build/installer-files.nsh"
remove="$build/installer-remove.nsh"
: >"$files"
: >"$remove"
(cd "$stage" && find . -type d | sort) | while read -r dir; do
    rel="${dir#./}"
    [ "$dir" = . ] && rel=""
    win="${rel//\//\\}"
    printf 'SetOutPath "$INSTDIR%s"\n' "${win:+\\$win}" >>"$files"
    (cd "$stage/$dir" && find . -maxdepth 1 -type f | sort) | while read -r file; do
        printf 'File "%s"\n' "$stage/$dir/${file#./}" >>"$files"
        printf 'Delete "$INSTDIR%s\\%s"\n' "${win:+\\$win}" "${file#./}" >>"$remove"
    done
done
(cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r dir; do
    rel="${dir#./}"
    printf 'RMDir "$INSTDIR\\%s"\n' "${rel//\//\\}" >>"$remove"
done
echo 'SetOutPath "$INSTDIR"' >>"$files"

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
installer="$build/KadrantSetup-$version-x64.exe"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$files" -DREMOVE="$remove" \
    -DOUTFILE="$installer" packaging/windows/kadrant.nsi
echo "$installer"
