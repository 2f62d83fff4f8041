# Kill and refusal trials of the program and chirpel-pack (tests/trials/killtrials.sh): 100 kills
# of packing, 50 of the settings write, and the refusals of files that are not regular files.
add_test(NAME trials.kill COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/trials/killtrials.sh ${CMAKE_BINARY_DIR}/bin)
set_tests_properties(trials.kill PROPERTIES LABELS trials TIMEOUT 300)
