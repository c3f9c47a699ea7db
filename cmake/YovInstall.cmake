# What an installed Yov is: the one list of its files, read by `cmake --install` (which
# tools/install-screensaver.sh runs) and by the Debian package (cpack), so the two cannot
# put different files in different places.
#
# Everything the program reads lies in one folder, PREFIX/lib/yov: the program finds its
# engine library, its pictures (data/) and its help pages (doc/) beside itself. PREFIX/bin/yov
# and the screen-saver daemon's hack are links to it. The daemons' own folders are absolute:
# they look there whatever the prefix.

set(YOV_INSTALL_HOME lib/yov)

install(TARGETS yov RUNTIME DESTINATION ${YOV_INSTALL_HOME})
# A library is read, not run: no execute bits.
install(TARGETS lumvatek LIBRARY DESTINATION ${YOV_INSTALL_HOME}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/builtin ${PROJECT_SOURCE_DIR}/data/demo
        DESTINATION ${YOV_INSTALL_HOME}/data)
# The help pages; the rest of doc/ is for the project's developers.
file(GLOB YOV_HELP_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/doc/*.htm)
install(FILES ${YOV_HELP_PAGES} DESTINATION ${YOV_INSTALL_HOME}/doc)

# The man page, compressed as man reads it (-n: the same bytes at every build).
set(YOV_MAN_PAGE ${CMAKE_BINARY_DIR}/yov.1.gz)
add_custom_command(OUTPUT ${YOV_MAN_PAGE}
                   COMMAND sh -c "gzip -9nc \"$0\" >\"$1\"" ${PROJECT_SOURCE_DIR}/data/install/yov.1 ${YOV_MAN_PAGE}
                   DEPENDS ${PROJECT_SOURCE_DIR}/data/install/yov.1 VERBATIM)
add_custom_target(yov_manpage ALL DEPENDS ${YOV_MAN_PAGE})
install(FILES ${YOV_MAN_PAGE} DESTINATION share/man/man1)

install(FILES ${PROJECT_SOURCE_DIR}/data/install/yov.xml DESTINATION /usr/share/xscreensaver/config)
install(FILES ${PROJECT_SOURCE_DIR}/data/install/yov.desktop DESTINATION /usr/share/applications/screensavers)

# The links, made at install time: their targets depend on the prefix the install is given.
install(CODE "set(YOV_INSTALL_HOME \"${YOV_INSTALL_HOME}\")")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/YovInstallLinks.cmake)

# The Debian package (`cmake --build --preset release --target package`).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME yov)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Yov developers <yov@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "railway-scene screen saver")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Trains built from the vehicle pictures of a stock run across a railway scene: they stop
at stations, couple, reverse, open their doors, raise their pantographs and leave again,
as a text scene script says. It runs in a window, full screen, or as a screen saver under
the X11 screen-saver daemons.")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The libraries the built program and engine link, as dpkg-shlibdeps finds them; the fonts
# the windows name are asked for by name, which no link shows.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-dejavu-core)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
