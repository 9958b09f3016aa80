# Readers of outside text across the platform, the module's contract, the
# host and the lab. The platform's internal readers are hidden in its
# library, so they are built from their sources.
vt_add_fuzzer(typelib LIBS vtplatform)
vt_add_fuzzer(resource_table LIBS vtplatform)
foreach(pair "typelib_replay;com/typelib_parse.cpp" "typelib_fuzzer;com/typelib_parse.cpp"
             "resource_table_replay;module/resource_reader.cpp"
             "resource_table_fuzzer;module/resource_reader.cpp")
    list(POP_FRONT pair target)
    if(TARGET ${target})
        list(TRANSFORM pair PREPEND ${PROJECT_SOURCE_DIR}/platform/)
        target_sources(${target} PRIVATE ${pair})
        target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform)
    endif()
endforeach()

vt_add_fuzzer(wide_text LIBS vt_contract)

# The host's own files are part of the vantrel program, not a library.
vt_add_fuzzer(host_input LIBS vtplatform)
foreach(target host_input_replay host_input_fuzzer)
    if(TARGET ${target})
        target_sources(${target} PRIVATE
            ${PROJECT_SOURCE_DIR}/host/blob_dump.cpp ${PROJECT_SOURCE_DIR}/host/blob_walk.cpp
            ${PROJECT_SOURCE_DIR}/host/blob_file.cpp
            ${PROJECT_SOURCE_DIR}/host/page_driver.cpp ${PROJECT_SOURCE_DIR}/host/providers.cpp
            ${PROJECT_SOURCE_DIR}/host/settings_keys.cpp)
        target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src
                                   ${PROJECT_SOURCE_DIR}/include)
    endif()
endforeach()

vt_add_fuzzer(lab_input LIBS vt_lab)
