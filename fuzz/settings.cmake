# Every view's and updater's SetData over arbitrary bytes. The module's
# pieces are linked in, and the page templates are packed into the
# program's own resource section, so the pages are found without the module.
if(TARGET vt_module)
    set(template_dir ${PROJECT_SOURCE_DIR}/src/module/resources/dialogs)
    file(GLOB template_files CONFIGURE_DEPENDS ${template_dir}/*.rc)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${template_files})
    set(entries "")
    foreach(file ${template_files})
        string(REGEX REPLACE ".*_([0-9]+)\\.rc$" "\\1" id ${file})
        file(READ ${file} text)
        string(APPEND entries "    vt_test::Resource{5, \"\", ${id}, R\"vtrc(${text})vtrc\"},\n")
    endforeach()
    string(REGEX REPLACE ",\n$" "\n" entries "${entries}")
    set(pages ${CMAKE_CURRENT_BINARY_DIR}/settings_pages.cpp)
    file(WRITE ${pages}.new "// Generated from ${template_dir}.\n"
         "#include \"platform/module/resource_pack.h\"\n\nVT_TEST_RESOURCES(\n${entries});\n")
    file(COPY_FILE ${pages}.new ${pages} ONLY_IF_DIFFERENT)

    vt_add_fuzzer(settings LIBS vt_module vt_host_site)
    foreach(target settings_replay settings_fuzzer)
        if(TARGET ${target})
            target_sources(${target} PRIVATE ${pages})
            target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src
                                       ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/tests)
        endif()
    endforeach()
endif()
