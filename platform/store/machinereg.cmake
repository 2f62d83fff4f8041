# machine.reg: the machine's folders under HKEY_LOCAL_MACHINE that the folder macros read
# ("<ProgramFilesDir>", "<CommonFilesDir>"). The mail sender is looked up as
# "<CommonFilesDir>/Vantorq Systems/SendMail": a build puts it under CHIRPEL_COMMON_FILES_DIR.
include(GNUInstallDirs)

# In the build tree both folders are bin/, so the sender sits at "bin/Vantorq Systems/SendMail"
# beside the program; an installation keeps its private programs in the package's own folder under
# the prefix's lib (lib/chirpel: not on anyone's PATH, and a place a distribution package may use).
set(CHIRPEL_COMMON_FILES_DIR "${CMAKE_BINARY_DIR}/bin")
set(CHIRPEL_COMMON_FILES_DIR "${CHIRPEL_COMMON_FILES_DIR}" PARENT_SCOPE)
set(CHIRPEL_INSTALL_PKGLIBDIR "lib/chirpel")
set(CHIRPEL_INSTALL_PKGLIBDIR "${CHIRPEL_INSTALL_PKGLIBDIR}" PARENT_SCOPE)
set(CHIRPEL_INSTALLED_COMMON_FILES_DIR "${CMAKE_INSTALL_PREFIX}/${CHIRPEL_INSTALL_PKGLIBDIR}")
set(CHIRPEL_INSTALLED_COMMON_FILES_DIR "${CHIRPEL_INSTALLED_COMMON_FILES_DIR}" PARENT_SCOPE)

function(chirpel_write_machine_reg output program_files common_files)
  foreach(var program_files common_files)
    string(REPLACE "\\" "\\\\" ${var} "${${var}}")
    string(REPLACE "\"" "\\\"" ${var} "${${var}}")
  endforeach()
  file(CONFIGURE OUTPUT "${output}" @ONLY CONTENT "REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]
\"ProgramFilesDir\"=\"@program_files@\"
\"CommonFilesDir\"=\"@common_files@\"

")
endfunction()

chirpel_write_machine_reg("${CMAKE_BINARY_DIR}/bin/machine.reg"
  "${CMAKE_BINARY_DIR}/bin" "${CHIRPEL_COMMON_FILES_DIR}")
chirpel_write_machine_reg("${CMAKE_CURRENT_BINARY_DIR}/installed/machine.reg"
  "${CHIRPEL_INSTALLED_COMMON_FILES_DIR}" "${CHIRPEL_INSTALLED_COMMON_FILES_DIR}")

install(FILES "${CMAKE_CURRENT_BINARY_DIR}/installed/machine.reg" DESTINATION "${CMAKE_INSTALL_DATADIR}/chirpel")
target_compile_definitions(chirpel_platform_store PRIVATE
  CHIRPEL_INSTALLED_MACHINE_REG="${CMAKE_INSTALL_FULL_DATADIR}/chirpel/machine.reg")
