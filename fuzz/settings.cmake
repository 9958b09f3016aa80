# Every view's and updater's SetData over arbitrary bytes, through the
# built module.
if(TARGET Vantrel)
    vt_add_fuzzer(settings LIBS vt_host_site)
    foreach(target settings_replay settings_fuzzer)
        if(TARGET ${target})
            target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src
                                       ${PROJECT_SOURCE_DIR}/include)
            target_compile_definitions(${target} PRIVATE
                                       VANTREL_MODULE_PATH="$<TARGET_FILE:Vantrel>")
            add_dependencies(${target} Vantrel)
        endif()
    endforeach()
endif()
