# End-to-end tests: every tests/e2e/*_test.sh runs the real program on a private X desktop
# (tests/e2e/desktop.sh). One display test at a time; screenshots land in <build>/e2e. They feed and
# record through the one private sound server, so they also hold its lock: an integration test
# recording at the same time would hear their tones.
file(GLOB _e2e_scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/e2e/*_test.sh)
foreach(_script IN LISTS _e2e_scripts)
  get_filename_component(_stem ${_script} NAME_WE)
  string(REGEX REPLACE "_test$" "" _name ${_stem})
  add_test(NAME e2e.${_name} COMMAND bash ${_script})
  set_tests_properties(e2e.${_name} PROPERTIES LABELS e2e RESOURCE_LOCK "display;soundserver" TIMEOUT 240
    FIXTURES_REQUIRED soundserver
    ENVIRONMENT "CHIRPEL_BIN_DIR=${CMAKE_BINARY_DIR}/bin;CHIRPEL_E2E_OUT=${CMAKE_BINARY_DIR}/e2e;${CHIRPEL_SOUND_ENV}")
endforeach()
