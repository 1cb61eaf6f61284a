# SPDX-License-Identifier: MIT
# What a desktop needs besides the two programs (installed with them in src/app): the menu
# entry, the AppStream metadata, the icon in the hicolor theme, the manual pages, and the
# README, licence, copyright and changelog under share/doc/navrik. The PNG icons, the roff
# manual pages and the compressed changelog are made at build time by the navrik_data target.

find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(SCDOC scdoc REQUIRED)
find_program(GZIP gzip REQUIRED)

set(NAVRIK_APP_ID io.github.navrik.Navrik)
set(NAVRIK_DATA_DIR ${PROJECT_SOURCE_DIR}/data)
set(NAVRIK_DATA_BINARY_DIR ${PROJECT_BINARY_DIR}/data)
set(NAVRIK_ICON_SIZES 16 22 24 32 48 64 128 256)
# Named after the package, whatever the project is called.
set(NAVRIK_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/navrik)
set(navrik_generated)

# The icon, rendered from its one SVG drawing at every size a theme looks for.
set(icon_svg ${NAVRIK_DATA_DIR}/icons/${NAVRIK_APP_ID}.svg)
foreach(size IN LISTS NAVRIK_ICON_SIZES)
    set(png ${NAVRIK_DATA_BINARY_DIR}/icons/${size}x${size}/${NAVRIK_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${NAVRIK_DATA_BINARY_DIR}/icons/${size}x${size}
        COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --format=png --output=${png} ${icon_svg}
        DEPENDS ${icon_svg}
        COMMENT "Rendering the ${size}x${size} icon"
        VERBATIM)
    list(APPEND navrik_generated ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Manual pages: scdoc source turned into roff that reads in any locale, compressed as man-db
# reads them (see ManPage.cmake).
foreach(page navrik.1 navrik-quote.1)
    set(source ${NAVRIK_DATA_DIR}/man/${page}.scd)
    set(roff ${NAVRIK_DATA_BINARY_DIR}/man/${page})
    add_custom_command(OUTPUT ${roff}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${NAVRIK_DATA_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -DSCDOC=${SCDOC} -DGZIP=${GZIP} -DSOURCE=${source} -DOUTPUT=${roff}
                -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
        DEPENDS ${source} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
        COMMENT "Writing the manual page ${page}"
        VERBATIM)
    list(APPEND navrik_generated ${roff}.gz)
    install(FILES ${roff}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The package's changelog, compressed without a time stamp so the package is reproducible.
set(changelog ${NAVRIK_DATA_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${NAVRIK_DATA_BINARY_DIR}
    COMMAND sh -c "\"$1\" -9n < \"$2\" > \"$3\"" sh ${GZIP} ${NAVRIK_DATA_DIR}/debian/changelog ${changelog}
    DEPENDS ${NAVRIK_DATA_DIR}/debian/changelog
    VERBATIM)
list(APPEND navrik_generated ${changelog})

add_custom_target(navrik_data ALL DEPENDS ${navrik_generated})

install(FILES ${NAVRIK_DATA_DIR}/${NAVRIK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${NAVRIK_DATA_DIR}/${NAVRIK_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/README.md
              ${PROJECT_SOURCE_DIR}/LICENSE
              ${NAVRIK_DATA_DIR}/debian/copyright
              ${changelog}
        DESTINATION ${NAVRIK_DOCDIR})
