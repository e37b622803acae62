# `cpack -G DEB` (make package): one Debian package with both programs. Its dependencies are
# those of the libraries the programs link, found by dpkg-shlibdeps, plus Qt's Wayland platform,
# which Qt loads at run time and so no link shows.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vistrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Vistrel developers <vistrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "AVI player with an exact colour model, and its monitor calibration")
set(CPACK_PACKAGE_DESCRIPTION
    "Vistrel plays AVI files whose pictures it converts to RGB under an explicit colour model: a
selectable source matrix, source and output transfer characteristics, luma, chroma and
display gammas, a per-channel monitor calibration and an adaptive tone curve, with
multi-threaded Lanczos scaling and playback locked to the sound and the vertical blank.
Tonegrid, its companion, shows full-screen test patterns for calibrating the monitor.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-wayland)
include(CPack)
