# The HTTP client against libcurl on the same nginx (and the same chunked
# loopback peer) in one run. libcurl is used here only.
find_package(CURL QUIET)
if(NOT CURL_FOUND)
    message(STATUS "libcurl not found: http_bench is not built")
    return()
endif()
add_executable(http_bench http_bench.cpp ${PROJECT_SOURCE_DIR}/tests/http/loopback_server.cpp)
target_include_directories(http_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/http)
target_compile_definitions(http_bench PRIVATE
    VT_PEERS_DIR="${PROJECT_SOURCE_DIR}/tests/peers")
target_link_libraries(http_bench PRIVATE vt_http CURL::libcurl benchmark::benchmark)
