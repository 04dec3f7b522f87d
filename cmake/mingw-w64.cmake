# Builds Kadrant for 64-bit Windows with a static runtime, so that a program needs nothing beside
# it but Windows' own DLLs (and, for the window, the Qt DLLs scripts/windows-deps.sh builds).
# Tests run under Wine through scripts/wine-run.sh.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-compilers.cmake)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Wine as the unprivileged user, its prefix and server named after this build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh;--tree;${CMAKE_BINARY_DIR}")
