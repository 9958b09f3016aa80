# One Windows DNS server update against named: a driver that
# callgrind_dns.sh runs to count instructions per DoEntryPoint against a
# bare ldns UPDATE of the same record.
find_package(PkgConfig QUIET)
pkg_check_modules(VT_BENCH_LDNS QUIET IMPORTED_TARGET ldns)
if(NOT VT_BENCH_LDNS_FOUND)
    message(STATUS "ldns not found: dns_callgrind is not built")
    return()
endif()
add_executable(dns_callgrind ${CMAKE_CURRENT_LIST_DIR}/dns_callgrind.cpp)
target_compile_definitions(dns_callgrind PRIVATE
    VT_NAMED_PEER="${PROJECT_SOURCE_DIR}/tests/peers/named")
target_link_libraries(dns_callgrind PRIVATE vt_module PkgConfig::VT_BENCH_LDNS)

add_executable(dns_process_bench ${CMAKE_CURRENT_LIST_DIR}/dns_process_bench.cpp)
target_compile_definitions(dns_process_bench PRIVATE
    VT_NAMED_PEER="${PROJECT_SOURCE_DIR}/tests/peers/named" VT_VANTREL="$<TARGET_FILE:vantrel>")
target_link_libraries(dns_process_bench PRIVATE benchmark::benchmark)
add_dependencies(dns_process_bench vantrel Vantrel)
