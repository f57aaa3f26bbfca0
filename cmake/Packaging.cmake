# The Debian package (cpack -G DEB in a Release build folder; scripts/package.sh
# runs it). Library dependencies are computed from the binaries by
# dpkg-shlibdeps; the run-time needs no link shows are named here: the Qt
# platform plugins, the fonts of the PDF files and Qt's Russian texts.
set(CPACK_PACKAGE_NAME f2tp)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ООО «Велта-Софт»")
set(CPACK_PACKAGE_CONTACT "ООО «Велта-Софт» <info@velta-soft.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "annual air emissions report form No. 2-tp (vozdukh)")
# The synopsis is the summary above; CPack puts a blank before every line here.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "F2tp fills in, checks, prints and exchanges the annual Russian statistical
report form No. 2-tp (vozdukh) on emissions of pollutants into the air. The
desktop program f2tp and the command-line companion f2tp-cli keep each user's
report in the user's own data folder.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# A native package carries its changelog, compressed without a time stamp.
if(UNIX AND NOT APPLE)
  string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  file(WRITE ${CMAKE_BINARY_DIR}/changelog
    "f2tp (${PROJECT_VERSION}) stable; urgency=medium\n\n"
    "  * Release ${PROJECT_VERSION}.\n\n"
    " -- ${CPACK_PACKAGE_CONTACT}  ${changelog_date}\n")
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/changelog VERBATIM)
  add_custom_target(f2tp_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)
  install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/f2tp)
endif()
include(CPack)
