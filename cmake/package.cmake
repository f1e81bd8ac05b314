# `make package`: a Debian package of what `cmake --install` installs, under /usr. Its library
# dependencies are worked out by dpkg-shlibdeps from the programs themselves.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plotwright)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Plotwright developers <developers@plotwright.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer of histograms and scatter graphs of data tables")
# Lines of at most 79 characters: each gets a leading blank in the control file.
set(CPACK_PACKAGE_DESCRIPTION
    "Plotwright reads an INI-style setup file and a plain-text data table and shows
up to 16 tabbed pages of histograms and scatter graphs, each built from layers
that pick their points by columns and selector texts. plotwright-render draws
the same pages to PNG, BMP, SVG or PDF files without a window, with a JSON
report of every graph.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://plotwright.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Text is drawn with whatever fonts fontconfig offers; these are the ones the pages were made
# with (not libraries, so dpkg-shlibdeps cannot see them).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core, fonts-liberation2")
# The window's Help, web page and Edit File (without an Editor program) open through the
# desktop's xdg-open.
if(TARGET plotwright)
  string(APPEND CPACK_DEBIAN_PACKAGE_RECOMMENDS ", xdg-utils")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
