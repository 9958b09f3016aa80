# A secure update against a plain one on the same private KDC and named.
add_executable(secure_update_bench secure_update_bench.cpp)
target_compile_definitions(secure_update_bench PRIVATE VT_PEERS_DIR="${PROJECT_SOURCE_DIR}/tests/peers")
target_link_libraries(secure_update_bench PRIVATE vtplatform benchmark::benchmark)
