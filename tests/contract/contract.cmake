# The updater and view bases through the nine provider pairs.
vt_add_test(contract_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/object_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/updater_test.cpp
            ${CMAKE_CURRENT_LIST_DIR}/view_test.cpp
    LIBS vt_module)
