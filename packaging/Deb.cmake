# The Debian package (cpack -G DEB in a Release build): everything
# `cmake --install` puts under /usr, with the library dependencies found by
# dpkg-shlibdeps, and the udev rules reloaded when it is installed.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velt-studio)
set(CPACK_PACKAGE_VENDOR "Velt")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Velt Studio developers <studio@velt.example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion program of the Velt ultrasonic flaw detector")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Velt Studio 3 downloads the flaw records stored in a Velt portable ultrasonic\n"
  "flaw detector over USB, shows them as signal pictures with their measured\n"
  "values, downloads, edits and uploads the instrument's setups, shows and\n"
  "drives the live signal, and prints inspection protocols. It comes with the\n"
  "link library libConduit (with a simulated instrument for demonstrations)\n"
  "and the command-line tool veltctl.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Debian revision 1 of upstream 3.0.0; programs and libraries stripped.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs and buttons in the user's language.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-translations-l10n)
# libConduit.so is private to the program (found through its run path).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://velt.example.com/studio3/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
