# The beep played before a recording, written by beepgen at build time and built in as
# ":/chirpel/BEEP" (RIFF WAVE, 22050 Hz, 8-bit, mono, 4824 frames).
set(_sound_dir ${CMAKE_CURRENT_BINARY_DIR}/sound)
file(MAKE_DIRECTORY ${_sound_dir})
add_custom_command(
  OUTPUT ${_sound_dir}/BEEP
  COMMAND $<TARGET_FILE:chirpel_beepgen> ${_sound_dir}/BEEP
  DEPENDS chirpel_beepgen
  COMMENT "Writing the beep sound"
  VERBATIM)
qt_add_resources(chirpel_resources chirpel_sounds PREFIX "/chirpel" BASE ${_sound_dir} FILES ${_sound_dir}/BEEP)
