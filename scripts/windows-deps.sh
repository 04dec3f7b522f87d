#!/usr/bin/env bash
# Builds what the Windows program links and Debian ships only for Linux: Qt (Core, Gui, Widgets
# and the Windows platform plugin), libmicrohttpd and libqrencode, each from Debian's own source
# package, cross-built with mingw-w64 into a cache outside the tree. A library whose cache is
# complete is left alone, so only a fresh machine pays for Qt (about 20 minutes on 2 cores).
#   bash scripts/windows-deps.sh        builds what is missing, prints the cache's path last
# The versions are those of the Linux packages installed, so Qt's host tools (moc, rcc, uic from
# qt6-base-dev-tools) match the Qt they serve.
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$PWD"
cache="${KADRANT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kadrant}"
jobs="${KADRANT_JOBS:-$(nproc)}"
compilers="$repo/cmake/mingw-w64-compilers.cmake"

version_of() { dpkg-query -W -f='${Version}' "$1"; }
qt_version="$(version_of qt6-base-dev)"
mhd_version="$(version_of libmicrohttpd-dev)"
qr_version="$(version_of libqrencode-dev)"

# Qt without what Kadrant does not use: every left-out module is compile time saved. Tablets are
# left out also because Debian's source has no wintab.h, which the Windows plug-in's needs.
qt_options=(-release -nomake examples -nomake tests
    -no-opengl -no-feature-direct2d -no-feature-vulkan -no-feature-sql -no-feature-printsupport
    -no-feature-dbus -no-feature-network -no-feature-concurrent -no-feature-xml
    -no-feature-testlib -no-feature-tabletevent -no-freetype -no-libjpeg -qt-zlib -qt-libpng -qt-harfbuzz -qt-pcre)
options_hash="$(printf '%s ' "${qt_options[@]}" | sha1sum | cut -c1-8)"
deps="$cache/windows-deps"
qt_prefix="$deps/qt-${qt_version%%+*}-$options_hash"
mhd_prefix="$deps/libmicrohttpd-${mhd_version}"
qr_prefix="$deps/libqrencode-${qr_version}"

# Debian's source packages through an apt configuration of our own: the system's sources and
# package lists are left as they are.
apt_dir="$cache/apt"
apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/nonexistent"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
fetch_source() { # package version destination
    local work="$cache/src/$1-$2"
    if [ ! -f "$work/.unpacked" ]; then
        if [ ! -f "$apt_dir/.updated" ]; then
            mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
            cat >"$apt_dir/sources.list" <<EOF
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian-security bookworm-security main
deb-src http://deb.debian.org/debian bookworm-updates main
EOF
            apt-get "${apt_opts[@]}" -q update >/dev/null 2>&1
            touch "$apt_dir/.updated"
        fi
        rm -rf "$work" && mkdir -p "$work"
        # apt checks every file it gets against the .dsc. Where the mirror lacks the Debian part
        # (seen for qrencode), the upstream tarball alone is built: Kadrant needs none of its fixes.
        (cd "$work" && apt-get "${apt_opts[@]}" -q source --download-only "$1=$2" >/dev/null 2>&1 || true
            if ! dpkg-source -x ./*.dsc tree >/dev/null 2>&1; then
                mkdir tree && tar -xf ./*.orig.tar.* -C tree --strip-components=1
            fi)
        touch "$work/.unpacked"
    fi
    printf '%s/tree' "$work"
}

build_qt() {
    [ -f "$qt_prefix/.complete" ] && return
    local src build start=$SECONDS
    src="$(fetch_source qt6-base "$qt_version")"
    build="$cache/build/qt-$options_hash"
    rm -rf "$build" "$qt_prefix" && mkdir -p "$build"
    # Qt's Windows plug-in asks for the DirectWrite font database whenever DirectWrite 3 is
    # there, but Gui builds that database only with Direct2D too: without Direct2D the plug-in
    # would not link. The plug-in then uses the GDI font database, as it does by default.
    sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
        "$src/src/plugins/platforms/windows/qwindowsintegration.cpp"
    echo "windows-deps: building Qt $qt_version for Windows (about 20 minutes on 2 cores)"
    (cd "$build" && "$src/configure" -prefix "$qt_prefix" -xplatform win32-g++ -qt-host-path /usr \
        "${qt_options[@]}" -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$compilers" \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >configure.log 2>&1) ||
        { tail -40 "$build/configure.log"; exit 1; }
    cmake --build "$build" -j "$jobs" >"$build/build.log" 2>&1 || { tail -40 "$build/build.log"; exit 1; }
    cmake --install "$build" >/dev/null
    rm -rf "$build"
    touch "$qt_prefix/.complete"
    echo "windows-deps: Qt built in $((SECONDS - start)) s"
}

build_microhttpd() {
    [ -f "$mhd_prefix/.complete" ] && return
    local src start=$SECONDS
    src="$(fetch_source libmicrohttpd "$mhd_version")"
    rm -rf "$mhd_prefix" "$src-build" && mkdir -p "$src-build"
    (cd "$src-build" && "$src/configure" --host=x86_64-w64-mingw32 --prefix="$mhd_prefix" \
        CC=x86_64-w64-mingw32-gcc-posix --enable-static --disable-shared --disable-https \
        --disable-doc --disable-examples --disable-curl >configure.log 2>&1 &&
        make -j "$jobs" >build.log 2>&1 && make install >/dev/null 2>&1) ||
        { tail -40 "$src-build"/*.log; exit 1; }
    rm -rf "$src-build"
    touch "$mhd_prefix/.complete"
    echo "windows-deps: libmicrohttpd built in $((SECONDS - start)) s"
}

build_qrencode() {
    [ -f "$qr_prefix/.complete" ] && return
    local src start=$SECONDS
    src="$(fetch_source qrencode "$qr_version")"
    rm -rf "$qr_prefix" "$src-build"
    (cmake -S "$src" -B "$src-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$compilers" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$qr_prefix" -DWITH_TOOLS=NO \
        -DBUILD_SHARED_LIBS=OFF -DWITHOUT_PNG=ON >/dev/null &&
        cmake --build "$src-build" >/dev/null && cmake --install "$src-build" >/dev/null) ||
        { echo "windows-deps: libqrencode failed"; exit 1; }
    rm -rf "$src-build"
    touch "$qr_prefix/.complete"
    echo "windows-deps: libqrencode built in $((SECONDS - start)) s"
}

build_microhttpd
build_qrencode
build_qt
# One prefix list for CMAKE_PREFIX_PATH, the line cmake/windows.cmake reads.
printf '%s;%s;%s\n' "$qt_prefix" "$mhd_prefix" "$qr_prefix" >"$deps/prefixes"
echo "$deps/prefixes"
