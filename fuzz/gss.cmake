# The GSS-TSIG reply reader, built from its source.
vt_add_fuzzer(gss_reply)
foreach(target gss_reply_replay gss_reply_fuzzer)
    if(TARGET ${target})
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/dns/gss_wire.cpp)
        target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform)
    endif()
endforeach()
