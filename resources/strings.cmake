# The string-module images MLS_SOUNDREC, MLS_VOICEMAIL and MLS_VQSHARED, compiled by mlsgen from the
# text sources in resources/strings/ and built in as :/chirpel/MLS_<NAME>.
set(_mls_dir ${CMAKE_CURRENT_BINARY_DIR}/mls)
file(MAKE_DIRECTORY ${_mls_dir})
set(_mls_images)
foreach(_mls IN ITEMS "SoundRec;MLS_SOUNDREC;26" "VoiceMail;MLS_VOICEMAIL;48" "vqShared;MLS_VQSHARED;232")
  list(GET _mls 0 _module)
  list(GET _mls 1 _resource)
  list(GET _mls 2 _count)
  set(_source ${CMAKE_CURRENT_SOURCE_DIR}/strings/${_module}.txt)
  add_custom_command(
    OUTPUT ${_mls_dir}/${_resource}
    COMMAND $<TARGET_FILE:mlsgen> ${_source} ${_mls_dir}/${_resource} ${_module} ${_count}
    DEPENDS mlsgen ${_source}
    COMMENT "Compiling string module ${_module}"
    VERBATIM)
  list(APPEND _mls_images ${_mls_dir}/${_resource})
endforeach()
qt_add_resources(chirpel_resources chirpel_string_modules PREFIX "/chirpel" BASE ${_mls_dir} FILES ${_mls_images})
