# Installation and the Debian package.
#
# The installed program looks for its data in <prefix>/share/lumivex/ beside <prefix>/bin, so
# both folders are fixed here rather than taken from GNUInstallDirs, whose cache entries could
# move one without the other.
set(LUMIVEX_INSTALL_BINDIR bin)
set(LUMIVEX_INSTALL_DATADIR share/lumivex)

set(lumivex_programs lumivex-cli)
if(TARGET lumivex)
  list(PREPEND lumivex_programs lumivex)
endif()
install(TARGETS ${lumivex_programs} RUNTIME DESTINATION ${LUMIVEX_INSTALL_BINDIR})

# The runtime, help, samples and templates: what the editor seeds its per-user folder from. The
# runtime's minified copy lies beside it for designers who serve it instead.
install(FILES ${CMAKE_SOURCE_DIR}/share/lumivex.js ${CMAKE_SOURCE_DIR}/share/lumivex.min.js
        DESTINATION ${LUMIVEX_INSTALL_DATADIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/share/help ${CMAKE_SOURCE_DIR}/share/samples
                  ${CMAKE_SOURCE_DIR}/share/templates
        DESTINATION ${LUMIVEX_INSTALL_DATADIR})

# The desktop's places: menu entry, the project file type and the application icon. The editor
# writes the same file type and a per-user entry of its own at every start.
if(TARGET lumivex)
  install(FILES ${CMAKE_SOURCE_DIR}/share/desktop/lumivex.desktop DESTINATION share/applications)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/share/desktop/lumivex.xml DESTINATION share/mime/packages)
if(TARGET lumivex)
  install(FILES ${CMAKE_SOURCE_DIR}/share/metainfo/org.lumivex.Lumivex.metainfo.xml
          DESTINATION share/metainfo)
endif()

# Manual pages and the package's changelog, compressed as Debian's policy asks: at the highest
# level and without a time stamp, so that the same sources give the same files.
find_program(LUMIVEX_GZIP gzip REQUIRED)
set(lumivex_compressed)
function(lumivex_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${LUMIVEX_GZIP} -9 -n -c ${source} > ${output}
    DEPENDS ${source} VERBATIM)
  set(lumivex_compressed ${lumivex_compressed} ${output} PARENT_SCOPE)
endfunction()
set(lumivex_man_pages)
foreach(program ${lumivex_programs})
  lumivex_gzip(${CMAKE_SOURCE_DIR}/share/man/${program}.1 ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
  list(APPEND lumivex_man_pages ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
endforeach()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man)
lumivex_gzip(${CMAKE_SOURCE_DIR}/share/debian/changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_target(lumivex_compressed_docs ALL DEPENDS ${lumivex_compressed})
install(FILES ${lumivex_man_pages} DESTINATION share/man/man1)
install(FILES ${CMAKE_SOURCE_DIR}/share/debian/copyright ${CMAKE_BINARY_DIR}/changelog.gz
        DESTINATION share/doc/lumivex)
install(FILES ${CMAKE_SOURCE_DIR}/share/icons/lumivex.svg
        DESTINATION share/icons/hicolor/scalable/apps)

# `cpack -G DEB` (or the `package` target) in the build folder writes lumivex_<version>_<arch>.deb.
# Debian's shared-mime-info, desktop-file-utils and hicolor-icon-theme watch the folders above
# with file triggers and refresh their caches themselves, so no maintainer scripts are needed.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumivex)
set(CPACK_PACKAGE_VENDOR "Lumivex")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Lumivex developers <developers@lumivex.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "build image slideshows for web pages")
set(CPACK_PACKAGE_DESCRIPTION
    "Lumivex is an editor with which a web designer builds an image slideshow for\n\
a web page without writing code: a box that shows one image after another,\n\
each with a link, a tooltip and a caption. Saving a project publishes a folder\n\
that a web server can serve as it is. lumivex-cli publishes projects without\n\
a screen.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the SVG plugins draw the icons, and
# Qt's own catalogues translate its buttons and dialogs, and the HEIF and AVIF codecs and the
# SSH client are opened at their first use.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-translations-l10n, libavif15, libheif1, libssh-4")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
