# The DNS client's reply reading, built from its source.
find_package(PkgConfig REQUIRED)
pkg_check_modules(VT_FUZZ_LDNS REQUIRED IMPORTED_TARGET ldns)
vt_add_fuzzer(dns_reply LIBS PkgConfig::VT_FUZZ_LDNS)
foreach(target dns_reply_replay dns_reply_fuzzer)
    if(TARGET ${target})
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/dns/wire.cpp)
        target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform
                                   ${PROJECT_SOURCE_DIR}/platform/include)
    endif()
endforeach()
