# The Debian package: cpack -G DEB in the build folder writes quillon32_VERSION_ARCH.deb.
# Libraries the programs link are found by dpkg-shlibdeps; the packages used at run time without
# being linked are named here.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon32)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillon 32 developers")
set(CPACK_PACKAGE_CONTACT "Quillon 32 developers <dev@quillon32.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photo-album manager: pictures, clips and sounds in one album file")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Quillon 32 keeps every picture, GIF, video clip and attached sound of an album in one\n"
    "database file, with its date, file name, description, keywords, format and properties.\n"
    "Fill albums from files, folder trees and scanners; browse them as a record grid or as\n"
    "thumbnails; sort and filter; view full screen; run slideshows with transitions and sound;\n"
    "print; export to many image formats; protect albums with a password. The q32 tool does\n"
    "the same from scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUILLON_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Albums are SQLCipher 4 files, which the library's symbols alone do not tell (bookworm's own is 3).
# Qt's image readers (TIFF, WebP, TGA) and SVG icons, the toolbar's icon theme and the player's
# GStreamer back end: without them pictures, tools or clips do not show.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libsqlcipher1 (>= 4.6), qt6-image-formats-plugins, libqt6svg6, adwaita-icon-theme, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
# MPEG and camera clips, CD audio, MIDI sounds and their soundfont, sound without a sound server,
# Windows metafiles and EPS pictures, printing, the help's web browser, Qt's other platform
# plugins.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, fluidr3mono-gm-soundfont, gstreamer1.0-alsa, libmagickcore-6.q16-6-extra, ghostscript, cups-client, xdg-utils, qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gimp, sane-utils, printer-driver-cups-pdf, hardinfo")

include(CPack)
