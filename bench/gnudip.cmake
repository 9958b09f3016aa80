# The GnuDIP digest through the CryptoAPI stand-in against OpenSSL's EVP
# called directly, in one run. OpenSSL is used here only as the reference.
find_package(OpenSSL QUIET COMPONENTS Crypto)
if(NOT OpenSSL_FOUND)
    message(STATUS "OpenSSL not found: gnudip_bench is not built")
    return()
endif()
add_executable(gnudip_bench ${CMAKE_CURRENT_LIST_DIR}/gnudip_bench.cpp)
target_link_libraries(gnudip_bench PRIVATE vt_providers_gnudip OpenSSL::Crypto benchmark::benchmark)
