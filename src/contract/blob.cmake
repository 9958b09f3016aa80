# The settings-blob codec, shared by every view and updater.
add_library(vt_blob STATIC ${CMAKE_CURRENT_LIST_DIR}/blob.cpp ${CMAKE_CURRENT_LIST_DIR}/blob_fields.cpp)
target_link_libraries(vt_blob PUBLIC vt_text vtplatform)
