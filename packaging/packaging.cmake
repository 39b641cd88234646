# Installing KORVAN as a desktop program: programs, help documents, desktop
# entry, icon, AppStream metadata and the man page; a Debian package by cpack.
include(GNUInstallDirs)

set(KORVAN_APP_ID org.korvan.Korvan)
set(pkg ${CMAKE_CURRENT_LIST_DIR})

if(KORVAN_BUILD_GUI)
    install(FILES ${KORVAN_HELP_PDFS} DESTINATION ${CMAKE_INSTALL_DOCDIR})
    install(FILES ${pkg}/${KORVAN_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${pkg}/${KORVAN_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${pkg}/${KORVAN_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
install(FILES ${pkg}/korvan-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR}
        RENAME copyright)

if(KORVAN_BUILD_TESTS)
    add_test(NAME desktop.entry COMMAND desktop-file-validate ${pkg}/${KORVAN_APP_ID}.desktop)
    add_test(NAME desktop.metainfo
             COMMAND appstreamcli validate --no-net ${pkg}/${KORVAN_APP_ID}.metainfo.xml)
    set(gui_paths)
    if(KORVAN_BUILD_GUI)
        # "|"-separated: the list passes as one argument to the check script.
        string(JOIN "|" gui_paths
               ./usr/bin/korvan
               ./usr/share/doc/korvan/eKorvanHelp.pdf
               ./usr/share/doc/korvan/dKorvanHelp.pdf
               ./usr/share/applications/${KORVAN_APP_ID}.desktop
               ./usr/share/icons/hicolor/scalable/apps/${KORVAN_APP_ID}.svg)
        add_test(NAME desktop.help_pdfs
                 COMMAND ${CMAKE_COMMAND} -DHELP_DIR=${CMAKE_BINARY_DIR}/docs/help
                         -DHELP_SRC=${CMAKE_SOURCE_DIR}/docs/help
                         -P ${pkg}/check_help_pdfs.cmake)
    endif()
endif()

set(CPACK_PACKAGE_NAME korvan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "qx0zz")
set(CPACK_PACKAGE_CONTACT "KORVAN developers <korvan@korvan.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "crystal-ladder band-pass filter calculator")
set(CPACK_PACKAGE_DESCRIPTION
    "KORVAN designs lower-sideband crystal-ladder band-pass filters from measured\n\
crystal data (Chebyshev/Butterworth, Cohn, QER; 2 to 14 poles), plots their\n\
response and writes GPLA, ARD and LTspice netlists. korvan-cli runs the same\n\
calculation without a window.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window is drawn for DejaVu Sans; the help opens through xdg-open.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)

if(KORVAN_BUILD_TESTS)
    add_test(NAME package.deb
             COMMAND ${CMAKE_COMMAND} -DCPACK=${CMAKE_CPACK_COMMAND} -DBUILD=${CMAKE_BINARY_DIR}
                     -DWORK=${CMAKE_BINARY_DIR}/package-check -DVERSION=${PROJECT_VERSION}
                     "-DGUI_PATHS=${gui_paths}" -P ${pkg}/check_package.cmake)
    set_tests_properties(package.deb PROPERTIES TIMEOUT 300)
endif()
