# The private sound server as a CTest fixture: started before and stopped after every test that
# requires the `soundserver` fixture (the integration and end-to-end tests). PulseAudio by default;
# -DCHIRPEL_TEST_SOUND_SERVER=pipewire runs the same tests against a private PipeWire.
set(CHIRPEL_TEST_SOUND_SERVER pulseaudio CACHE STRING "The sound server of the integration tests: pulseaudio or pipewire")
foreach(_step start stop)
  add_test(NAME soundserver.${_step} COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/soundserver.sh ${_step})
endforeach()
set_tests_properties(soundserver.start PROPERTIES FIXTURES_SETUP soundserver)
set_tests_properties(soundserver.stop PROPERTIES FIXTURES_CLEANUP soundserver)
set_tests_properties(soundserver.start soundserver.stop PROPERTIES RESOURCE_LOCK soundserver LABELS integration
  TIMEOUT 60 ENVIRONMENT "${CHIRPEL_SOUND_ENV};CHIRPEL_TEST_SOUND_SERVER=${CHIRPEL_TEST_SOUND_SERVER}")
