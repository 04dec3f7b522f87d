# Install rules of the Windows build: `cmake --install` lays out the folder the installer
# (packaging/windows/kadrant.nsi, made by scripts/windows-installer.sh) copies whole: the programs,
# the Qt DLLs with the platform and style plug-ins in the folders Qt looks in beside the program,
# and the C++ runtime DLLs Qt was built with.
if(NOT KADRANT_BUILD_GUI OR NOT TARGET kadrant)
    return()
endif()

install(TARGETS kadrant kadrant-boardsim RUNTIME DESTINATION .)
if(TARGET kadrant-remote)
    install(TARGETS kadrant-remote RUNTIME DESTINATION .)
endif()
install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
        DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
if(TARGET Qt6::QWindowsVistaStylePlugin)
    install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
endif()

# The runtime of the posix-thread compilers, as Debian's mingw-w64 packages ship it.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE _stdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libgcc_s_seh-1.dll
                OUTPUT_VARIABLE _gcc OUTPUT_STRIP_TRAILING_WHITESPACE)
find_file(KADRANT_WINPTHREAD_DLL libwinpthread-1.dll
          PATHS /usr/x86_64-w64-mingw32/lib /usr/x86_64-w64-mingw32/bin NO_DEFAULT_PATH)
foreach(_dll ${_stdcxx} ${_gcc} ${KADRANT_WINPTHREAD_DLL})
    if(NOT IS_ABSOLUTE "${_dll}" OR NOT EXISTS "${_dll}")
        message(FATAL_ERROR "The C++ runtime DLL ${_dll} is missing (g++-mingw-w64-x86-64-posix)")
    endif()
endforeach()
install(FILES ${_stdcxx} ${_gcc} ${KADRANT_WINPTHREAD_DLL} DESTINATION .)
