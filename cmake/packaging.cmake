# SPDX-License-Identifier: MIT
# Installed like any Linux application (`cmake --install`, `make package`): the two programs, the
# manual page and the bash completion, the shipped data, the desktop entry with its icons and
# AppStream description, and the licences. CPack makes the same tree a Debian package.
include(GNUInstallDirs)

set(ZONEDESK_APP_ID io.github.zonedesk.Zonedesk)
set(zonedesk_desktop_dir ${PROJECT_SOURCE_DIR}/res/desktop)
set(zonedesk_icon_svg ${zonedesk_desktop_dir}/${ZONEDESK_APP_ID}.svg)

# The PNG icons are rendered from the one SVG at build time, and the manual page compressed as
# Debian keeps them; neither is kept in the repository.
find_program(ZONEDESK_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ZONEDESK_GZIP gzip REQUIRED)
set(zonedesk_icon_sizes 16 24 32 48 64 128 256 512)
set(zonedesk_rendered)
foreach(size ${zonedesk_icon_sizes})
    set(folder ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps)
    add_custom_command(OUTPUT ${folder}/${ZONEDESK_APP_ID}.png
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${ZONEDESK_RSVG_CONVERT} --width=${size} --height=${size} --keep-aspect-ratio
                --output=${folder}/${ZONEDESK_APP_ID}.png ${zonedesk_icon_svg}
        DEPENDS ${zonedesk_icon_svg}
        COMMENT "Rendering the ${size} px icon"
        VERBATIM)
    list(APPEND zonedesk_rendered ${folder}/${ZONEDESK_APP_ID}.png)
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/zonedesk-cli.1.gz
    COMMAND ${ZONEDESK_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/docs/zonedesk-cli.1 > ${CMAKE_BINARY_DIR}/zonedesk-cli.1.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/zonedesk-cli.1
    VERBATIM)
add_custom_target(zonedesk_install_files ALL DEPENDS ${zonedesk_rendered} ${CMAKE_BINARY_DIR}/zonedesk-cli.1.gz)

install(TARGETS zonedesk zonedesk-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The modules core::moduleEntry finds from <prefix>/bin as ../lib/zonedesk.
install(TARGETS zonedesk_icu_module zonedesk_ical_module zonedesk_gio_module LIBRARY DESTINATION lib/zonedesk)
install(FILES ${CMAKE_BINARY_DIR}/zonedesk-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/scripts/zonedesk-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zonedesk-cli)

# The data folder core::dataDir() finds from <prefix>/bin as ../share/zonedesk.
install(FILES ${PROJECT_SOURCE_DIR}/res/data/rdap-dns.json
              ${PROJECT_SOURCE_DIR}/res/data/whois-servers.tsv
              ${PROJECT_SOURCE_DIR}/res/data/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zonedesk)
# The UI's translations, as far as the build made any: the folder is there either way.
install(DIRECTORY DESTINATION ${CMAKE_INSTALL_DATADIR}/zonedesk/translations)
install(DIRECTORY ${CMAKE_BINARY_DIR}/translations/
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zonedesk/translations
        OPTIONAL
        FILES_MATCHING PATTERN "*.qm")

install(FILES ${zonedesk_desktop_dir}/${ZONEDESK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${zonedesk_desktop_dir}/${ZONEDESK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${zonedesk_icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${zonedesk_icon_sizes})
    install(FILES ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/${ZONEDESK_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/LICENSE ${zonedesk_desktop_dir}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/res/data/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME README.data.md)

# The Debian package: `make package`, then `apt install ./build/default/zonedesk_*.deb`.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zonedesk)
set(CPACK_PACKAGE_VENDOR "The zonedesk developers")
set(CPACK_PACKAGE_CONTACT "The zonedesk developers <zonedesk@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "check when many domain names expire (WHOIS and RDAP)")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/zonedesk/zonedesk)
# CPack puts the summary above this as the synopsis line.
set(CPACK_PACKAGE_DESCRIPTION
    "zonedesk is a desktop tool for people who hold many domain names. Load a
text file of names and it asks each registry's WHOIS or RDAP service, reads
the replies and fills a list with status, expiry, registration and update
dates, owner, e-mail and registrar; names about to expire show in red, every
lookup is kept in a history and the list exports to CSV.
.
zonedesk-cli runs the same lookups from scripts and cron.")
# The libraries come from dpkg-shlibdeps; these are what the programs open without linking: Qt's
# X11 platform plugin, the Public Suffix List data, the CA certificates of RDAP's HTTPS, the
# Chinese font and Qt's Chinese texts of the UI.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, publicsuffix, ca-certificates")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-microhei, qt6-translations-l10n")
include(CPack)
