# Builds Kadrant for 64-bit Windows; tests run under Wine through scripts/wine-run.sh. Programs link
# their C++ runtime statically (CMakeLists.txt) unless they load the Qt DLLs.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)
# Wine as the unprivileged user, its prefix and server named after this build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh;--tree;${CMAKE_BINARY_DIR}")
