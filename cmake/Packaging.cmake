# Desktop integration and the Debian package: installs the menu entry, the AppStream metainfo, the
# loan file type, the icon theme files, the manual page and the package documents beside the
# program, and configures CPack to build a .deb.

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
# The shared MIME database and the desktop's handler cache are rebuilt from these by the dpkg
# triggers of shared-mime-info and desktop-file-utils; no maintainer script is needed.
install(FILES ${LOAN_PACKAGING_DIR}/${LOAN_APP_ID}.mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME ${LOAN_APP_ID}.xml)

# The manual page and the Debian changelog are installed compressed, as Debian wants them: gzip
# at its best, without the file's name or time (the same bytes on every build).
find_program(LOAN_GZIP gzip REQUIRED)
set(LOAN_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})
configure_file(${LOAN_PACKAGING_DIR}/dravenholt-loan.1.in ${PROJECT_BINARY_DIR}/packaging/dravenholt-loan.1
               @ONLY)
set(LOAN_COMPRESSED)
foreach(source IN ITEMS ${PROJECT_BINARY_DIR}/packaging/dravenholt-loan.1
                        ${LOAN_PACKAGING_DIR}/changelog)
    get_filename_component(name ${source} NAME)
    if(name STREQUAL "changelog")
        set(name changelog.Debian)
    endif()
    set(plain ${PROJECT_BINARY_DIR}/packaging/compressed/${name})
    add_custom_command(OUTPUT ${plain}.gz
                       COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
                       COMMAND ${LOAN_GZIP} -9nf ${plain}
                       DEPENDS ${source}
                       COMMENT "Compressing ${name}"
                       VERBATIM)
    list(APPEND LOAN_COMPRESSED ${plain}.gz)
endforeach()
add_custom_target(packaging_documents ALL DEPENDS ${LOAN_COMPRESSED})
install(FILES ${PROJECT_BINARY_DIR}/packaging/compressed/dravenholt-loan.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/packaging/compressed/changelog.Debian.gz
              ${LOAN_PACKAGING_DIR}/copyright
        DESTINATION ${LOAN_DOC_DIR})
install(FILES ${LOAN_PACKAGING_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${PROJECT_NAME})
install(FILES ${LOAN_PACKAGING_DIR}/icons/${LOAN_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The PNGs are rendered from the SVG ahead of time (packaging/render-icons.sh), so building
# needs no SVG converter.
foreach(size 16 32 48 64 128 256)
    install(FILES ${LOAN_PACKAGING_DIR}/icons/${size}x${size}/${LOAN_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

add_test(NAME packaging_validate
         COMMAND ${LOAN_PACKAGING_DIR}/tests/validate.sh ${PROJECT_SOURCE_DIR}
                 ${PROJECT_BINARY_DIR}/packaging/dravenholt-loan.1)
set_tests_properties(packaging_validate PROPERTIES SKIP_RETURN_CODE 77)

add_test(NAME packaging_install
         COMMAND ${LOAN_PACKAGING_DIR}/tests/install.sh ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR})

set(CPACK_PACKAGE_NAME dravenholt-loan)
set(CPACK_PACKAGE_VENDOR "Dravenholt Information Technology")
set(CPACK_PACKAGE_CONTACT "Dravenholt Information Technology <loan@dravenholt.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.dravenholt.example/loan")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Loan repayment calculator")
# Each line becomes a line of the package's extended description, which Debian wants within
# 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
    "Dravenholt Loan works out the instalment and the yearly payment of a loan
for weekly, fortnightly, bi-monthly, monthly and quarterly repayments, split
between a variable-rate and a fixed-rate portion, and recalculates them as
you type. It keeps a table of loans that can be saved to a loan file,
searched and printed, and lists each loan's repayment schedule period by
period, with extra payments, to print or export as CSV. Loan files open from
the file manager.")
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The first Debian revision of the upstream version: the package carries changelog.Debian.gz.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps finds the Qt libraries the program links to; the platform plugins are loaded at
# run time, so no linker would ever name them. Without dpkg-shlibdeps (dpkg-dev) CPack would quietly
# build a package that declares only the plugins, so the libraries are then listed by hand; Qt SVG
# among them, which writes the chart's SVG.
find_program(LOAN_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(LOAN_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6widgets6 (>= 6.4), libqt6printsupport6 (>= 6.4), libqt6svg6 (>= 6.4), \
libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), qt6-qpa-plugins, libstdc++6, libc6")
endif()

include(CPack)

# The .deb itself, checked as Debian would check it; a sanitizer build is no package's build.
if(NOT LOAN_SANITIZE)
    add_test(NAME packaging_deb
             COMMAND ${LOAN_PACKAGING_DIR}/tests/deb.sh ${PROJECT_BINARY_DIR}/CPackConfig.cmake)
    set_tests_properties(packaging_deb PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
endif()
