# SPDX-License-Identifier: MIT
# Run by cpack before it makes a package (see Packaging.cmake): the tools the Debian package
# needs to find the libraries it depends on.
if(CPACK_GENERATOR STREQUAL "DEB")
    find_program(NAVRIK_DPKG_SHLIBDEPS dpkg-shlibdeps)
    find_program(NAVRIK_FILE file)
    if(NOT NAVRIK_DPKG_SHLIBDEPS OR NOT NAVRIK_FILE)
        message(FATAL_ERROR "The Debian package needs dpkg-shlibdeps and file to find the libraries "
                            "it depends on; install them with: sudo apt-get install dpkg-dev file")
    endif()
endif()
