# SPDX-License-Identifier: MIT
# The Debian package, made from the build folder with `cpack -G DEB`: the install tree under
# /usr, binaries stripped, library dependencies found by dpkg-shlibdeps.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME navrik)
set(CPACK_PACKAGE_VENDOR "Navrik developers")
set(CPACK_PACKAGE_CONTACT "Navrik developers <navrik@users.noreply.github.com>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quote e-mail text for replies")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/navrik/navrik)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without dpkg-shlibdeps CPack would make a package that depends on none of the libraries the
# programs link, and without file it stops with a message that names no package to install:
# the check stops it first, saying what to install.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackageTools.cmake)
# The windows ask for the IPA Gothic fonts by name, and Qt needs its X11 platform plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-qpa-plugins")
# Inside a Wayland session Navrik runs through XWayland; the shortcut recipes for desktops that
# give no program the clipboard (GNOME) quote with wl-paste and wl-copy, and X11's with xclip.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xwayland, wl-clipboard, xclip")
# The extended description; CPack puts the summary above it as the synopsis.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Navrik puts a quote mark (by default '> ') before every line of the text on
the clipboard, optionally breaks long lines so that no quoted line is wider
than a chosen number of half-width columns (a full-width character counts
two), and puts the result back on the clipboard, ready to paste into a reply.
It is a small borderless window that floats on the desktop, made for
answering mail in Japanese.
.
The package also holds navrik-quote, a filter on the same rules for
terminals and editors.")

include(CPack)
