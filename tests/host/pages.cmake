# vantrel configure in a real terminal (tmux), and the command line of settings.
add_test(NAME host.configure
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/configure_test.sh $<TARGET_FILE:vantrel>
                 $<TARGET_FILE:Vantrel>)
add_test(NAME host.settings_cli
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/settings_cli_test.sh $<TARGET_FILE:vantrel>
                 $<TARGET_FILE:Vantrel>)
set_tests_properties(host.configure host.settings_cli PROPERTIES TIMEOUT 60)
