# The pages of the built module: blobs from `vantrel settings`' page driver,
# pinned and read back by the pages, and the pages' own handlers.
if(TARGET Vantrel)
    vt_add_test(pages_test
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/pages_test.cpp
                ${CMAKE_CURRENT_LIST_DIR}/page_handlers_test.cpp
                ${PROJECT_SOURCE_DIR}/host/page_driver.cpp
                ${PROJECT_SOURCE_DIR}/host/settings_keys.cpp
                ${PROJECT_SOURCE_DIR}/host/providers.cpp
                ${PROJECT_SOURCE_DIR}/host/blob_walk.cpp
                ${PROJECT_SOURCE_DIR}/host/text_convert.cpp
        LIBS vt_module vt_host_site)
    target_include_directories(pages_test PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(pages_test PRIVATE VANTREL_MODULE_PATH="$<TARGET_FILE:Vantrel>")
    add_dependencies(pages_test Vantrel)
endif()
