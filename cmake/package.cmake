# Installation and the Debian packages (cpack -G DEB in the build folder). Two packages, so a
# server box can take the monitor without the desktop libraries:
#   morvek-headless  the monitor without a window, its systemd unit, the sample template, the man
#                    page
#   morvek           the window, its menu entry, icon and help document (needs morvek-headless,
#                    which `morvek --headless` runs)
# dpkg-shlibdeps derives each package's library dependencies from its own programs.
include(GNUInstallDirs)

install(TARGETS morvek-headless RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT headless)
install(TARGETS morvek RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)
# The help document and the sample template, where the programs look them up (the "morvek" folder
# of the system's data folders).
install(FILES resources/Morvek.html DESTINATION ${CMAKE_INSTALL_DATADIR}/morvek COMPONENT window)
install(FILES resources/template/standard.htm DESTINATION ${CMAKE_INSTALL_DATADIR}/morvek/template
        COMPONENT headless)
# The service: one instance per watched server (morvek-headless@NAME reads /etc/morvek/NAME.conf).
install(FILES resources/debian/morvek-headless@.service DESTINATION lib/systemd/system
        COMPONENT headless)
install(FILES resources/morvek.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT window)
install(FILES resources/morvek.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        COMPONENT window)

# The man page and the changelog go in compressed, as Debian policy asks.
set(_packaged ${CMAKE_BINARY_DIR}/packaged)
function(morvek_gzip source target)
    add_custom_command(OUTPUT ${_packaged}/${target}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_packaged}
        COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/${source} > ${_packaged}/${target}
        DEPENDS ${PROJECT_SOURCE_DIR}/${source} VERBATIM)
endfunction()
morvek_gzip(resources/morvek.1 morvek.1.gz)
morvek_gzip(resources/debian/changelog changelog.gz)
add_custom_target(morvek_packaged ALL DEPENDS ${_packaged}/morvek.1.gz ${_packaged}/changelog.gz)

foreach(pair headless:morvek-headless window:morvek)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 component)
    list(GET pair 1 package)
    install(FILES ${_packaged}/morvek.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
            RENAME ${package}.1.gz COMPONENT ${component})
    install(FILES resources/debian/copyright ${_packaged}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvek)
set(CPACK_PACKAGE_VENDOR "The Morvek developers")
set(CPACK_PACKAGE_CONTACT "Morvek developers <dev@morvek.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL headless window)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_HEADLESS_PACKAGE_NAME morvek-headless)
set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME morvek)
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "morvek-headless (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_HEADLESS_DESCRIPTION
    "Quake-family game server monitor without a window
Polls one Quake, QuakeWorld, Hexen II or Quake II server over UDP and prints
the picture of the match at every poll, as a table or JSON lines; records
match logs, publishes an HTML page, writes a PDF report and serves metrics
for Prometheus. Needs no desktop libraries.")
set(CPACK_COMPONENT_WINDOW_DESCRIPTION
    "Quake-family game server monitor
Polls one Quake, QuakeWorld, Hexen II or Quake II server over UDP and keeps a
live picture of the match: server panel, player list, frag chart, replayable
match log, HTML page, printed report and the server's rules.")
include(CPack)
