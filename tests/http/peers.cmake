# A real nginx on loopback, started once for the tests that need it.
find_program(VT_NGINX nginx PATHS /usr/sbin /sbin)
if(NOT VT_NGINX)
    message(STATUS "nginx missing: the HTTP peer tests are not registered")
    return()
endif()

set(vt_http_peers_dir ${CMAKE_CURRENT_BINARY_DIR}/peers)
set(vt_http_peers ${PROJECT_SOURCE_DIR}/tests/peers/http-peers)
add_test(NAME http_peers_start COMMAND ${vt_http_peers} start ${vt_http_peers_dir})
add_test(NAME http_peers_stop COMMAND ${vt_http_peers} stop ${vt_http_peers_dir})
set_tests_properties(http_peers_start PROPERTIES FIXTURES_SETUP http_peers LABELS peers)
set_tests_properties(http_peers_stop PROPERTIES FIXTURES_CLEANUP http_peers LABELS peers)

add_executable(http_peers_test peers_test.cpp)
target_link_libraries(http_peers_test PRIVATE vt_http GTest::gtest)
add_test(NAME http_peers_test COMMAND http_peers_test ${vt_http_peers_dir})
set_tests_properties(http_peers_test PROPERTIES FIXTURES_REQUIRED http_peers LABELS peers TIMEOUT 120)

# The command line, with a --connect-to override instead of a name lookup.
add_test(NAME http_cli_connect_to
         COMMAND sh -c "exec \"$0\" http http://update.vantrel.test/small.txt -i --connect-to update.vantrel.test:80:127.0.0.1:$(cat \"$1\"/nginx/port)"
                 $<TARGET_FILE:vantrel> ${vt_http_peers_dir})
set_tests_properties(http_cli_connect_to PROPERTIES FIXTURES_REQUIRED http_peers LABELS peers
                     PASS_REGULAR_EXPRESSION "^200\r?\nHTTP/1.1 200 OK.*hello from nginx")
