# Install rules and the Debian package. `cmake --install` puts the program, the board simulator,
# the desktop launcher, the menu entry and the icon where a Linux desktop finds them.
include(GNUInstallDirs)

if(KADRANT_BUILD_GUI AND TARGET kadrant)
    install(TARGETS kadrant kadrant-boardsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(TARGETS kadrant-ports RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/kadrant-launcher.sh
            DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME kadrant-launcher)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/kadrant.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    # The board on a TV: its own menu entry and a name a user recognises.
    install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/kadrant-tvboard.sh
            DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME kadrant-tvboard)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/kadrant-tvboard.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    foreach(_size 32 64)
        install(FILES ${PROJECT_SOURCE_DIR}/resources/pictures/10-${_size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
                RENAME kadrant.png)
    endforeach()
endif()
if(TARGET kadrant-remote)
    install(TARGETS kadrant-remote RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "kadrant")
set(CPACK_PACKAGE_VENDOR "Kadrant")
set(CPACK_PACKAGE_CONTACT "Kadrant maintainers <maintainers@kadrant.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Scoreboard clock: drives an LED display board over a serial line")
set(CPACK_PACKAGE_DESCRIPTION
    "Kadrant turns an LED scoreboard on a serial line into a count-up clock, a count-down clock with a sound at zero, a PC time-of-day clock, a lap counter or a test pattern generator.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
# Shared libraries are found by dpkg-shlibdeps; what is loaded at run time (the platform and
# sound plug-ins, the fonts the dialog is laid out with) is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6multimedia6, fonts-liberation")
include(CPack)
