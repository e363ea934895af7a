# Desktop integration and the Debian package: installs the menu entry, the AppStream metainfo and
# the icon theme files beside the program, and configures CPack to build a .deb.

if(NOT LOAN_BUILD_UI)
    return()
endif()

include(GNUInstallDirs)

set(LOAN_APP_ID example.dravenholt.Loan)
set(LOAN_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

install(FILES ${LOAN_PACKAGING_DIR}/${LOAN_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${LOAN_PACKAGING_DIR}/${LOAN_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${LOAN_PACKAGING_DIR}/icons/${LOAN_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The PNGs are rendered from the SVG ahead of time (packaging/render-icons.sh), so building
# needs no SVG converter.
foreach(size 16 32 48 64 128 256)
    install(FILES ${LOAN_PACKAGING_DIR}/icons/${size}x${size}/${LOAN_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

add_test(NAME packaging_validate
         COMMAND ${LOAN_PACKAGING_DIR}/tests/validate.sh
                 ${LOAN_PACKAGING_DIR}/${LOAN_APP_ID}.desktop
                 ${LOAN_PACKAGING_DIR}/${LOAN_APP_ID}.metainfo.xml)
set_tests_properties(packaging_validate PROPERTIES SKIP_RETURN_CODE 77)

add_test(NAME packaging_install
         COMMAND ${LOAN_PACKAGING_DIR}/tests/install.sh ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR})

set(CPACK_PACKAGE_NAME dravenholt-loan)
set(CPACK_PACKAGE_VENDOR "Dravenholt Information Technology")
set(CPACK_PACKAGE_CONTACT "Dravenholt Information Technology <loan@dravenholt.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.dravenholt.example/loan")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Loan repayment calculator")
set(CPACK_PACKAGE_DESCRIPTION
    "Dravenholt Loan works out the instalment and the yearly payment of a loan for weekly,
fortnightly, bi-monthly, monthly and quarterly repayments, split between a variable-rate
and a fixed-rate portion, and recalculates them as you type. It keeps a table of loans
that can be saved to a loan file, searched and printed.")
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds the Qt libraries the program links to; the platform plugins are loaded at
# run time, so no linker would ever name them. Without dpkg-shlibdeps (dpkg-dev) CPack would quietly
# build a package that declares only the plugins, so the libraries are then listed by hand.
find_program(LOAN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(LOAN_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6widgets6 (>= 6.4), libqt6printsupport6 (>= 6.4), libqt6gui6 (>= 6.4), \
libqt6core6 (>= 6.4), qt6-qpa-plugins, libstdc++6, libc6")
endif()

include(CPack)
