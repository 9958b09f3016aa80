# vantrel configure and vantrel settings: the page in a pseudo-terminal,
# and the command line of settings.
vt_add_test(configure_pty_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/configure_pty_test.cpp LIBS util)
target_compile_definitions(configure_pty_test PRIVATE VANTREL_HOST="$<TARGET_FILE:vantrel>"
                           VANTREL_MODULE="$<TARGET_FILE:Vantrel>")
add_dependencies(configure_pty_test vantrel Vantrel)

add_test(NAME host.settings_cli
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/settings_cli_test.sh $<TARGET_FILE:vantrel>
                 $<TARGET_FILE:Vantrel>)
set_tests_properties(host.settings_cli PROPERTIES TIMEOUT 60)
