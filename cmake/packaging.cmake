# Debian package: cpack -G DEB in the build directory (after building).
# Shared-library dependencies (Qt, FFTW, DCMTK's libdcmtk17 with its DICOM dictionary) are
# worked out by dpkg-shlibdeps; the vessel networks' libtorch1.13 and OpenCV's core and
# imgproc libraries are named as well, the Qt plugins the program loads at run time (image
# formats, SVG icons) and Qt's own German texts are declared by hand. Building needs
# libdcmtk-dev, libtorch-dev and libopencv-dev; the tests make their DICOM files with dcmtk
# and python3-pydicom, the TorchScript fixture with python3-torch (scripts/setup.sh).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quendra)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quendra Tool developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Analysis of blood-vessel images")
set(CPACK_PACKAGE_DESCRIPTION
  "Quendra Tool opens retina photographs, skin-transplant images and coronary angiograms as gray levels, enhances and segments their vessels and measures them. quendra-cli runs the same operations without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quendra Tool developers <quendra@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-image-formats-plugins, qt6-qpa-plugins, qt6-translations-l10n, libtorch1.13, libopencv-core406, libopencv-imgproc406")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6")
# The batch workflow installed under share/quendra/workflows runs on Snakemake.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "snakemake")
include(CPack)
