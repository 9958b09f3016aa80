# vt_add_test(name SOURCES a.cpp ... LIBS lib ... [LABELS l ...])
# One GoogleTest binary, registered with ctest test by test.
find_package(GTest REQUIRED)
include(GoogleTest)

function(vt_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES LABELS "${ARG_LABELS}" TIMEOUT 120)
endfunction()
