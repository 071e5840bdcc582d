# `cpack -G DEB` in the build folder makes pixolane_<version>_<arch>.deb.
# dpkg-shlibdeps computes the libraries' packages; the rest are what the
# program loads at run time without linking it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pixolane)
set(CPACK_PACKAGE_VENDOR Pixolane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "créer une galerie de photos pour le Web")
set(CPACK_PACKAGE_CONTACT "Pixolane <contact@pixolane.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://pixolane.org/)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "make a web photo gallery from a folder of JPEG pictures
 Pixolane resizes (or copies) every picture of a list, draws a thumbnail of
 each and writes a page linking them. It has a French window with a live
 preview of the gallery and of the JPEG compression, and a terminal front
 end, pixolane-cli, for scripts.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# French words of Qt's own dialogs; the opener of documents and folders.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
