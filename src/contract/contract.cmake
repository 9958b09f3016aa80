# The COM object support and the updater and view bases every provider uses.
add_library(vt_contract STATIC
    ${CMAKE_CURRENT_LIST_DIR}/module_lock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/updater.cpp
    ${CMAKE_CURRENT_LIST_DIR}/view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/view_dispatch.cpp)
target_include_directories(vt_contract PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(vt_contract PUBLIC vt_blob vt_text vtplatform)
