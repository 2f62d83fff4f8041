# The mail tests also drive the mail sender's units.
if(TARGET mail_tests)
  target_link_libraries(mail_tests PRIVATE chirpel_sender)
  target_compile_definitions(mail_tests PRIVATE CHIRPEL_SENDMAIL_EXE="${CHIRPEL_COMMON_FILES_DIR}/Vantorq Systems/SendMail")
endif()
