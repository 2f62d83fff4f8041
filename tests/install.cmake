# The installed layout, checked from a temporary prefix after the build.
add_test(NAME install.layout COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/install/layout_test.sh)
set_tests_properties(install.layout PROPERTIES LABELS install TIMEOUT 120
  ENVIRONMENT "CHIRPEL_BUILD_DIR=${CMAKE_BINARY_DIR}")
