# `make package`: the Debian package vexilo_VERSION_amd64.deb, its
# dependencies computed from the shared libraries that the programs use.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexilo)
set(CPACK_PACKAGE_VENDOR Norvane)
set(CPACK_PACKAGE_CONTACT "${VEXILO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn six photos into a photo cube for the web")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vexilo puts six photos on the faces of a cube that turns in any web
browser, with a printable fold-out of the cube's net. It previews the
cube in the browser, saves its web files and a self-extracting Cube.exe
to a folder, and sends it by e-mail through the user's own mail server.
.
The command vexilo-cube does the same from a terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VEXILO_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The face detector's model, for filling a face on the people in a photo.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "opencv-data")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "www-browser, gnome-keyring | kwalletmanager")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Installed through DESTDIR, so that nothing registers the staged files for the packager.
set(CPACK_SET_DESTDIR ON)
include(CPack)
