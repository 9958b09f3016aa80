# One template update against vantrel-lab: the module's DoEntryPoint next to
# libcurl sending the same GET (CPU time), and a driver that callgrind_update.sh
# runs to count instructions per update.
find_package(CURL QUIET)
if(NOT CURL_FOUND)
    message(STATUS "libcurl not found: update_bench is not built")
    return()
endif()
foreach(target update_bench update_callgrind)
    add_executable(${target} ${CMAKE_CURRENT_LIST_DIR}/${target}.cpp
                             ${CMAKE_CURRENT_LIST_DIR}/update_bench_support.cpp)
    target_compile_definitions(${target} PRIVATE
        VT_LAB_BINARY="$<TARGET_FILE:vantrel-lab>"
        VT_LAB_ACCOUNTS="${PROJECT_SOURCE_DIR}/lab/accounts.sample")
    target_link_libraries(${target} PRIVATE vt_module CURL::libcurl)
    add_dependencies(${target} vantrel-lab)
endforeach()
target_link_libraries(update_bench PRIVATE benchmark::benchmark)
