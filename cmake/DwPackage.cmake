# The CMake package a host uses, and the Debian package of the whole installation.
#
# find_package(DwProjectFileManUI) gives the targets DwProjectFileManUI::DwProjectFileManUI
# (the control), DwProjectFileManUI::DwSessionContract and DwProjectFileManUI::DwFileStore
# (the embedded store). The targets add themselves to the export set where they are built.
include(CMakePackageConfigHelpers)
set(DW_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/DwProjectFileManUI)
install(EXPORT DwProjectFileManUITargets NAMESPACE DwProjectFileManUI:: DESTINATION ${DW_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/DwProjectFileManUIConfig.cmake.in
  ${PROJECT_BINARY_DIR}/DwProjectFileManUIConfig.cmake
  INSTALL_DESTINATION ${DW_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/DwProjectFileManUIConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/DwProjectFileManUIConfig.cmake
  ${PROJECT_BINARY_DIR}/DwProjectFileManUIConfigVersion.cmake
  DESTINATION ${DW_CMAKE_DIR})

# cpack -G DEB: one package with the libraries, headers, CMake files, both programs, the
# desktop entry and the Designer plugin. Its run-time dependencies come from the shared
# libraries it links (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME dwprojectfilemanui)
set(CPACK_PACKAGE_VENDOR "DwProjectFileManUI")
set(CPACK_PACKAGE_CONTACT "DwProjectFileManUI <dwprojectfilemanui@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "File manager control over a shared document store (Qt 6)")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package's programs and libraries without their debugging information, which would
# make up nearly all of its size.
set(CPACK_STRIP_FILES ON)
# The programs start without a display through Qt's offscreen platform, which libqt6gui6
# holds; xdg-utils opens files with the desktop's programs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
# Qt's Dutch texts (the buttons of questions, the file dialogs); without them those stay English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# A host built against the installed CMake package also needs Qt's development files; the
# preview shows office documents where LibreOffice is installed.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-base-dev, libreoffice-writer-nogui | libreoffice-writer")
include(CPack)
