# The options dialog uses the sound folder's slim track bar (sound already uses the settings, so
# the two static libraries name each other), and the tips file that its tips panel reads: copied
# beside the program in the build tree, installed in the data folder, where the panel looks when
# there is none beside the program.
include(GNUInstallDirs)
target_link_libraries(chirpel_settings PUBLIC chirpel_sound)
set(_chirpel_tips "${PROJECT_SOURCE_DIR}/resources/chirpelTips.enu")
configure_file("${_chirpel_tips}" "${CMAKE_BINARY_DIR}/bin/chirpelTips.enu" COPYONLY)
install(FILES "${_chirpel_tips}" DESTINATION "${CMAKE_INSTALL_DATADIR}/chirpel")
target_compile_definitions(chirpel_settings PRIVATE
  CHIRPEL_INSTALLED_TIPS_DIR="${CMAKE_INSTALL_FULL_DATADIR}/chirpel")
