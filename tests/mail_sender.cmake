# The mail tests also drive the mail sender's units.
if(TARGET mail_tests)
  target_link_libraries(mail_tests PRIVATE chirpel_sender)
endif()
