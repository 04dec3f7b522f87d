# The compilers of a 64-bit Windows build with Debian's mingw-w64: the posix-thread ones, which
# give std::thread and std::mutex. Shared by Kadrant's own build (mingw-w64.cmake) and the
# libraries scripts/windows-deps.sh builds from Debian's sources (Qt, libqrencode).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# The libraries scripts/windows-deps.sh built from Debian's sources, where it wrote they are (none
# while it builds them). Each prefix is a root of its own, as the system's mingw-w64 folder is.
if(DEFINED ENV{KADRANT_CACHE})
    set(_kadrant_cache "$ENV{KADRANT_CACHE}")
elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(_kadrant_cache "$ENV{XDG_CACHE_HOME}/kadrant")
else()
    set(_kadrant_cache "$ENV{HOME}/.cache/kadrant")
endif()
set(KADRANT_WINDOWS_PREFIXES "")
if(EXISTS "${_kadrant_cache}/windows-deps/prefixes")
    file(STRINGS "${_kadrant_cache}/windows-deps/prefixes" KADRANT_WINDOWS_PREFIXES LIMIT_COUNT 1)
endif()
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${KADRANT_WINDOWS_PREFIXES})
# Qt built for Windows runs Debian's own moc, rcc and uic.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
