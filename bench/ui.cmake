add_executable(ui_bench ui_bench.cpp)
target_link_libraries(ui_bench PRIVATE vtplatform benchmark::benchmark)
target_compile_definitions(ui_bench PRIVATE
    VANTREL_DIALOG_DIR="${PROJECT_SOURCE_DIR}/src/module/resources/dialogs")
