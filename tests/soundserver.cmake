# The private sound server as a CTest fixture: started before and stopped after every test that
# requires the `soundserver` fixture (the integration and end-to-end tests). PulseAudio by default;
# -DCHIRPEL_TEST_SOUND_SERVER=pipewire runs the same tests against a private PipeWire.
set(CHIRPEL_TEST_SOUND_SERVER pulseaudio CACHE STRING "The sound server of the integration tests: pulseaudio or pipewire")
set(_sound_script soundserver.sh)
if(CHIRPEL_TEST_SOUND_SERVER STREQUAL "pipewire")
  set(_sound_script pipewire.sh)
endif()
add_test(NAME soundserver.start COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/${_sound_script} start)
add_test(NAME soundserver.stop COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/${_sound_script} stop)
set_tests_properties(soundserver.start PROPERTIES
  FIXTURES_SETUP soundserver RESOURCE_LOCK soundserver LABELS integration TIMEOUT 60
  ENVIRONMENT "${CHIRPEL_SOUND_ENV}")
set_tests_properties(soundserver.stop PROPERTIES
  FIXTURES_CLEANUP soundserver RESOURCE_LOCK soundserver LABELS integration TIMEOUT 60
  ENVIRONMENT "${CHIRPEL_SOUND_ENV}")
