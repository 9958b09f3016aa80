vt_add_test(blob_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/blob_test.cpp
    LIBS vt_blob)
target_include_directories(blob_test PRIVATE ${PROJECT_SOURCE_DIR}/tests)
