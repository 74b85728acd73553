# What `cmake --install` puts where (GNU layout), and the Debian package that
# `make deb` builds from the same rules with CPack.
include(GNUInstallDirs)

set(DRAVIK_APP_ID io.github.dravik.Dravik)
set(DRAVIK_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS Dravik ncsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(DRAVIK_MAN_PAGES Dravik ncsim)
if(TARGET dravik-cli)
    install(TARGETS dravik-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    list(APPEND DRAVIK_MAN_PAGES dravik-cli)
    # The server of many machines as a system service, with its user.
    configure_file(${DRAVIK_PACKAGING_DIR}/systemd/dravik-dnc.service.in
                   ${CMAKE_BINARY_DIR}/systemd/dravik-dnc.service @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/systemd/dravik-dnc.service
            DESTINATION lib/systemd/system)
    install(FILES ${DRAVIK_PACKAGING_DIR}/systemd/dravik.sysusers DESTINATION lib/sysusers.d
            RENAME dravik.conf)
endif()

install(FILES ${DRAVIK_PACKAGING_DIR}/${DRAVIK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${DRAVIK_PACKAGING_DIR}/${DRAVIK_APP_ID}.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${DRAVIK_PACKAGING_DIR}/${DRAVIK_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The pages carry the project's version.
foreach(page IN LISTS DRAVIK_MAN_PAGES)
    configure_file(${DRAVIK_PACKAGING_DIR}/man/${page}.1 ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# Debian package. The library dependencies come from dpkg-shlibdeps; what the
# program only loads or starts at run time (the fonts it names, xdg-open) is
# listed by hand.
set(DRAVIK_MAINTAINER "Seed 9fa20c2d maintainers <maintainers@users.noreply.c-seed-9fa20c2d.example>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dravik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${DRAVIK_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "NC program transfer over RS-232 and NC file manager")
set(CPACK_PACKAGE_DESCRIPTION
    "Dravik moves NC part programs between a PC and CNC machine controllers over an\n"
    "RS-232 line (ISO or EIA tape code, DC1/DC3 handshake, tape punchers and readers),\n"
    "receives programs into one file per O-number and manages NC files: list, copy,\n"
    "split, join, double an axis. It is driven from the keyboard, in Japanese.\n"
    "The package also holds ncsim, a simulated NC controller for trying it out, and\n"
    "dravik-dnc.service, a server that serves every machine of a shop at once.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DRAVIK_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${DRAVIK_PACKAGING_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
