# The template updaters: reply parsers offline, each updater against the
# scripted loopback peer of tests/http, and whole runs of `vantrel update`
# against vantrel-lab, directly and through tinyproxy.
vt_add_test(reply_parsers_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/reply_parsers_test.cpp
    LIBS vt_providers_http)
vt_add_test(updaters_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/updaters_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/http/loopback_server.cpp
    LIBS vt_module)
target_include_directories(updaters_test PRIVATE ${PROJECT_SOURCE_DIR}/tests/http
                           ${PROJECT_SOURCE_DIR}/tests)

add_test(NAME providers.update_lab
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/update_lab_test.sh $<TARGET_FILE:vantrel>
                 $<TARGET_FILE:Vantrel> $<TARGET_FILE:vantrel-lab>
                 ${PROJECT_SOURCE_DIR}/lab/accounts.sample)
set_tests_properties(providers.update_lab PROPERTIES TIMEOUT 90 LABELS "lab;peers")
