# Installation on Linux (`make install`, prefix /usr/local unless given) and
# the Debian package (`make package-deb`, prefix /usr).
include(GNUInstallDirs)

set(KESTROVE_HOMEPAGE "https://kestrove.example" CACHE STRING
  "The project's web address, named by the AppStream metadata and the package")
set(KESTROVE_APP_ID "example.kestrove.kestrove" CACHE STRING
  "The AppStream component id: the web address's domain reversed, and the program")
set(KESTROVE_MAINTAINER "Kestrove maintainers <maintainers@users.noreply.c-seed-6d66e25a.example>"
  CACHE STRING "The package's maintainer")

set(KESTROVE_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/kestrove)
set(KESTROVE_ICON_SIZES 16 32 48 64 128 256)
set(generated ${CMAKE_BINARY_DIR}/install)
file(MAKE_DIRECTORY ${generated})

# The PNG icons are drawn from the SVG at build time.
find_program(RSVG_CONVERT rsvg-convert)
find_program(IMAGEMAGICK_CONVERT convert)
if(NOT RSVG_CONVERT AND NOT IMAGEMAGICK_CONVERT)
  message(FATAL_ERROR "The icons need rsvg-convert (Debian: librsvg2-bin) or ImageMagick's convert")
endif()
set(icon_svg ${CMAKE_SOURCE_DIR}/icons/kestrove.svg)
set(icon_pngs)
foreach(size ${KESTROVE_ICON_SIZES})
  set(png ${generated}/icons/${size}x${size}/kestrove.png)
  if(RSVG_CONVERT)
    set(draw ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${icon_svg})
  else()
    set(draw ${IMAGEMAGICK_CONVERT} -background none -density 384 ${icon_svg}
      -resize ${size}x${size} ${png})
  endif()
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${generated}/icons/${size}x${size}
    COMMAND ${draw}
    DEPENDS ${icon_svg} VERBATIM)
  list(APPEND icon_pngs ${png})
endforeach()

# Manual pages and the changelog compressed as Debian wants them: best
# compression, no name or time stamp inside, so builds are reproducible.
set(gzipped)
foreach(source docs/kestrove.1 docs/kestrove-cli.1 packaging/changelog)
  get_filename_component(name ${source} NAME)
  set(gz ${generated}/${name}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${CMAKE_SOURCE_DIR}/${source} ${gz}
    DEPENDS ${CMAKE_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND gzipped ${gz})
endforeach()

set(metainfo ${generated}/${KESTROVE_APP_ID}.metainfo.xml)
configure_file(${CMAKE_SOURCE_DIR}/packaging/kestrove.metainfo.xml.in ${metainfo} @ONLY)

add_custom_target(kestrove_install_files ALL DEPENDS ${icon_pngs} ${gzipped})

# What is installed.
install(TARGETS kestrove-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kestrove)
  install(TARGETS kestrove RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${generated}/kestrove.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES packaging/kestrove.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  foreach(size ${KESTROVE_ICON_SIZES})
    install(FILES ${generated}/icons/${size}x${size}/kestrove.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES qt/help/kestrove.html DESTINATION ${KESTROVE_DOCDIR})
endif()
install(FILES ${generated}/kestrove-cli.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright DESTINATION ${KESTROVE_DOCDIR})
install(FILES ${generated}/changelog.gz DESTINATION ${KESTROVE_DOCDIR})

# The Debian package: everything above under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrove)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kestrove developers")
set(CPACK_PACKAGE_CONTACT ${KESTROVE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "remove duplicate messages from Pegasus Mail folders")
# The synopsis line is the summary above; CPack indents these lines and
# writes the empty one as " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Kestrove removes duplicate messages from the mail folders of Pegasus Mail
for Windows (WinPmail), for people who run the mail client under Wine and
for administrators of mail servers whose users keep such folders. It finds
repeated and deleted messages, keeps the old files as a backup and writes
each folder anew without them.

It also restores, deletes and moves backups, shows an index record by
record, exports it as CSV or tab-separated text, counts messages and bytes
per sender, and works through many users' mail directories at once. The
package holds the window program kestrove and the command-line tool
kestrove-cli.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KESTROVE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_SOURCE_DIR}/dist)
include(CPack)
