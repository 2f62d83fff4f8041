# The private sound server as a CTest fixture: started before and stopped after every test that
# requires the `soundserver` fixture (the integration and end-to-end tests).
add_test(NAME soundserver.start COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/soundserver.sh start)
add_test(NAME soundserver.stop COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/soundserver.sh stop)
set_tests_properties(soundserver.start PROPERTIES
  FIXTURES_SETUP soundserver RESOURCE_LOCK soundserver LABELS integration TIMEOUT 60
  ENVIRONMENT "${CHIRPEL_SOUND_ENV}")
set_tests_properties(soundserver.stop PROPERTIES
  FIXTURES_CLEANUP soundserver RESOURCE_LOCK soundserver LABELS integration TIMEOUT 60
  ENVIRONMENT "${CHIRPEL_SOUND_ENV}")
