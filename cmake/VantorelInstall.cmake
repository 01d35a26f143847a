# What `cmake --install` puts under the prefix, and the Debian package made by
# `cpack -G DEB`: both programs, the generated data, the desktop entry, the
# project file type with its icon, the application icons (SVG and PNG sizes),
# the AppStream metainfo, the man pages and the user manual.
include(GNUInstallDirs)

set(VT_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/data/desktop)
set(VT_APP_ID org.vantorel.Vantorel)
set(VT_MIME_ICON application-x-vantorel-project)
set(VT_ICON_SIZES 16 22 24 32 48 64 128 256)

# vantorel-cli, its man page and its bash completion are installed by src/cli.
if(TARGET vantorel)
  install(TARGETS vantorel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # PNG sizes of both icons, drawn from their SVG pictures at build time.
  add_executable(vt_render_icon ${VT_DESKTOP_DIR}/render_icon.cpp)
  target_compile_options(vt_render_icon PRIVATE ${VT_WARNINGS})
  target_link_libraries(vt_render_icon PRIVATE Qt6::Gui Qt6::Svg)
  set(VT_ICON_OUTPUT ${CMAKE_BINARY_DIR}/icons)
  add_custom_command(
    OUTPUT ${VT_ICON_OUTPUT}/.generated
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:vt_render_icon> ${VT_DESKTOP_DIR}/vantorel.svg ${VT_ICON_OUTPUT}/apps ${VT_APP_ID} ${VT_ICON_SIZES}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:vt_render_icon> ${VT_DESKTOP_DIR}/${VT_MIME_ICON}.svg ${VT_ICON_OUTPUT}/mimetypes ${VT_MIME_ICON} ${VT_ICON_SIZES}
    COMMAND ${CMAKE_COMMAND} -E touch ${VT_ICON_OUTPUT}/.generated
    DEPENDS vt_render_icon ${VT_DESKTOP_DIR}/vantorel.svg ${VT_DESKTOP_DIR}/${VT_MIME_ICON}.svg
    COMMENT "Drawing the application and project icons"
    VERBATIM)
  add_custom_target(vt_icons ALL DEPENDS ${VT_ICON_OUTPUT}/.generated)
  foreach(size ${VT_ICON_SIZES})
    install(FILES ${VT_ICON_OUTPUT}/apps/${size}x${size}/${VT_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    install(FILES ${VT_ICON_OUTPUT}/mimetypes/${size}x${size}/${VT_MIME_ICON}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/mimetypes)
  endforeach()
endif()

install(FILES ${VT_DESKTOP_DIR}/vantorel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${VT_APP_ID}.svg)
install(FILES ${VT_DESKTOP_DIR}/${VT_MIME_ICON}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)
install(FILES ${VT_DESKTOP_DIR}/${VT_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VT_DESKTOP_DIR}/${VT_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VT_DESKTOP_DIR}/${VT_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${VT_APP_ID}.xml)

# Manual pages and the changelog are installed compressed (gzip -9n: no name
# or time stamp, so the package is the same from build to build).
find_program(VT_GZIP gzip REQUIRED)
set(VT_PACKAGE_DIR ${CMAKE_SOURCE_DIR}/data/package)
set(VT_COMPRESSED_DIR ${CMAKE_BINARY_DIR}/compressed)
file(GLOB VT_MAN_PAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/*.1)
list(APPEND VT_MAN_PAGES ${CMAKE_SOURCE_DIR}/docs/vantorel-cli.1)
set(VT_COMPRESSED_MAN_PAGES)
foreach(page ${VT_MAN_PAGES} ${VT_PACKAGE_DIR}/changelog)
  get_filename_component(name ${page} NAME)
  add_custom_command(OUTPUT ${VT_COMPRESSED_DIR}/${name}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${VT_COMPRESSED_DIR}
                     COMMAND sh -c "${VT_GZIP} -9n -c '${page}' > '${VT_COMPRESSED_DIR}/${name}.gz'"
                     DEPENDS ${page} VERBATIM)
  list(APPEND VT_COMPRESSED_FILES ${VT_COMPRESSED_DIR}/${name}.gz)
  if(NOT name STREQUAL "changelog")
    list(APPEND VT_COMPRESSED_MAN_PAGES ${VT_COMPRESSED_DIR}/${name}.gz)
  endif()
endforeach()
add_custom_target(vt_compressed_docs ALL DEPENDS ${VT_COMPRESSED_FILES})
install(FILES ${VT_COMPRESSED_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# One documentation folder, share/doc/vantorel, where Help > Contents looks for
# the manual (FindUserManual) and where Debian keeps a package's copyright
# and changelog.
set(VT_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/vantorel)
install(FILES ${VT_PACKAGE_DIR}/copyright ${VT_COMPRESSED_DIR}/changelog.gz DESTINATION ${VT_DOC_DIR})
if(EXISTS ${CMAKE_SOURCE_DIR}/docs/manual)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/manual/ DESTINATION ${VT_DOC_DIR}/manual)
endif()

# Debian package: `cpack -G DEB` in the build folder.
set(CPACK_PACKAGE_NAME vantorel)
set(CPACK_PACKAGE_VENDOR "The Vantorel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Product packaging design with photograph-like 3D renderings")
# Lines of the extended description stay under 80 characters.
set(CPACK_PACKAGE_DESCRIPTION "Vantorel designs the packaging of a product (boxes, books, binders,
cards, disks) in a vector editor and renders it as a photograph-like 3D
picture; vantorel-cli renders in scripts.")
set(CPACK_PACKAGE_CONTACT "The Vantorel developers <developers@vantorel.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found at run time rather than linked: the SVG icon plugins of the toolbars,
# the fonts the first run and the default texts use, and the libraries that
# read SVG, PDF, TIFF, PNG and JPEG pictures and colour profiles (opened with
# the first such picture), cairo (opened with the first drawing through it),
# the font libraries (opened with the first text) and WebP's (with the first
# animation).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, fonts-liberation2, fontconfig, librsvg2-2, libpoppler-glib8, \
liblcms2-2, libtiff6, libpng16-16, libjpeg62-turbo, zlib1g, libcairo2, libfreetype6, libfontconfig1, libwebp7, libwebpmux3")
set(CPACK_STRIP_FILES ON)
# Folders as Debian wants them (0755), whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
include(CPack)
