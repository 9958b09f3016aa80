// Md5Hex, the module's MD5 as 32 lowercase hex digits through the CryptoAPI
// stand-in, against the same digest and hex from OpenSSL's EVP directly.
// The input is the second digest's: 32 hex digits, ".", a 10-character salt.
#include "providers/gnudip/gnudip_digest.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <string>

namespace {

const std::string kInput = "ca6c5d8960b5f761e1676d26b282889c.abcdefghij";

void Md5HexThroughCryptoApi(benchmark::State& state) {
    vantrel::gnudip::CryptContext context;
    if (!context.Acquire()) {
        state.SkipWithError("no context");
        return;
    }
    vantrel::Text out;
    for (auto _ : state) {
        bool ok = vantrel::gnudip::Md5Hex(context.Get(),
                                          reinterpret_cast<const BYTE*>(kInput.data()),
                                          static_cast<DWORD>(kInput.size()), out);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(out);
    }
}

// The reference at its quickest: MD5 fetched once, one context reused,
// and a lowercase hex table.
void Md5HexThroughEvp(benchmark::State& state) {
    static constexpr char kDigits[] = "0123456789abcdef";
    EVP_MD* md5 = EVP_MD_fetch(nullptr, "MD5", nullptr);
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    std::string out(32, '\0');
    for (auto _ : state) {
        unsigned char value[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        bool ok = EVP_DigestInit_ex2(context, md5, nullptr) == 1 &&
                  EVP_DigestUpdate(context, kInput.data(), kInput.size()) == 1 &&
                  EVP_DigestFinal_ex(context, value, &size) == 1;
        for (unsigned int i = 0; i < size; ++i) {
            out[2 * i] = kDigits[value[i] >> 4];
            out[2 * i + 1] = kDigits[value[i] & 0x0F];
        }
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(out);
    }
    EVP_MD_CTX_free(context);
    EVP_MD_free(md5);
}

BENCHMARK(Md5HexThroughCryptoApi);
BENCHMARK(Md5HexThroughEvp);

}  // namespace

BENCHMARK_MAIN();
