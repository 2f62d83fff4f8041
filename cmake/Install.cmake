# Installing: the programs where a system keeps them, and what a desktop needs to offer the
# program in its menus and software centre: the desktop entry, the icon in every size a desktop
# asks for (rendered from the program's SVG icon), the AppStream description, the manual pages and
# the package's copyright notice. Nothing a user writes goes under the prefix: settings, messages,
# the hand-off and the outbox live in the user's own folders.
include(GNUInstallDirs)

install(TARGETS chirpel chirpel-pack RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CHIRPEL_APP_ID "org.chirpel.Chirpel")
set(_desk_src ${PROJECT_SOURCE_DIR}/resources/desktop)
set(_art_icon ${PROJECT_SOURCE_DIR}/resources/art/icon.svg)
set(_desk_out ${PROJECT_BINARY_DIR}/desktop)
file(MAKE_DIRECTORY ${_desk_out}/icons ${_desk_out}/man)
set(_desk_files)

foreach(size 16 24 32 48 64 128 256)
  set(png ${_desk_out}/icons/${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:artrender> ${_art_icon} ${png} ${size} ${size}
    DEPENDS artrender ${_art_icon}
    COMMENT "Rendering the ${size} px desktop icon"
    VERBATIM)
  list(APPEND _desk_files ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${CHIRPEL_APP_ID}.png)
endforeach()
install(FILES ${_art_icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${CHIRPEL_APP_ID}.svg)

install(FILES ${_desk_src}/${CHIRPEL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${_desk_src}/${CHIRPEL_APP_ID}.metainfo.xml ${_desk_out}/${CHIRPEL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${_desk_out}/${CHIRPEL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages, compressed as distributions ship them (no name or time stamp in the archive).
set(CHIRPEL_SENDER_PATH "${CHIRPEL_INSTALLED_COMMON_FILES_DIR}/Vantorq Systems/SendMail")
foreach(page chirpel chirpel-pack chirpel-sendmail)
  configure_file(${_desk_src}/${page}.1 ${_desk_out}/man/${page}.1 @ONLY)
  set(gz ${_desk_out}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND gzip -9nf -k ${_desk_out}/man/${page}.1
    DEPENDS ${_desk_out}/man/${page}.1
    COMMENT "Compressing the manual page ${page}(1)"
    VERBATIM)
  list(APPEND _desk_files ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The package's notices, in the documentation folder distributions keep them in.
set(CHIRPEL_DEB_VERSION "${PROJECT_VERSION}-1")
configure_file(${_desk_src}/copyright ${_desk_out}/copyright @ONLY)
configure_file(${_desk_src}/changelog.Debian ${_desk_out}/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${_desk_out}/changelog.Debian.gz
  COMMAND gzip -9nf -k ${_desk_out}/changelog.Debian
  DEPENDS ${_desk_out}/changelog.Debian
  VERBATIM)
list(APPEND _desk_files ${_desk_out}/changelog.Debian.gz)
install(FILES ${_desk_out}/copyright ${_desk_out}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/chirpel)

add_custom_target(chirpel_desktop_files ALL DEPENDS ${_desk_files})
