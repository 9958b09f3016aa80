vt_add_test(blob_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/blob_test.cpp
    LIBS vt_blob)
