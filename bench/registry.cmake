# Registration into the hive: the module's DllRegisterServer with every
# Reg* call writing the hive (the reference) next to one transaction, and
# `vantrel register` as a whole process next to `vantrel list`.
add_executable(registry_bench ${CMAKE_CURRENT_LIST_DIR}/registry_bench.cpp)
target_compile_definitions(registry_bench PRIVATE
    VT_MODULE_PATH="$<TARGET_FILE:Vantrel>" VT_VANTREL_PATH="$<TARGET_FILE:vantrel>")
target_link_libraries(registry_bench PRIVATE vtplatform benchmark::benchmark ${CMAKE_DL_LIBS})
add_dependencies(registry_bench Vantrel vantrel)
set_target_properties(registry_bench PROPERTIES ENABLE_EXPORTS ON)
