// CryptoAPI hashing of the stand-in, with the Windows behaviour it relies
// on. Outputs and the last error are pre-filled with sentinels.
#include <platform/wincrypt.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

constexpr DWORD kSentinelError = 0xDEADBEEF;
constexpr ULONG_PTR kSentinelHandle = 0x5EED;
constexpr const char* kMd5OfAbc = "900150983cd24fb0d6963f7d28e17f72";

// The call fails and sets exactly this last error.
#define EXPECT_FAILS_WITH(call, error)           \
    do {                                         \
        SetLastError(kSentinelError);            \
        EXPECT_FALSE(call);                      \
        EXPECT_EQ(GetLastError(), DWORD(error)); \
    } while (0)

HCRYPTPROV VerifyContext() {
    HCRYPTPROV provider = 0;
    EXPECT_TRUE(
        CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    return provider;
}

HCRYPTHASH Md5Of(HCRYPTPROV provider, const std::string& data) {
    HCRYPTHASH hash = 0;
    EXPECT_TRUE(CryptCreateHash(provider, CALG_MD5, 0, 0, &hash));
    EXPECT_TRUE(CryptHashData(hash, reinterpret_cast<const BYTE*>(data.data()),
                              static_cast<DWORD>(data.size()), 0));
    return hash;
}

std::string HexValue(HCRYPTHASH hash) {
    BYTE value[16];
    DWORD length = sizeof value;
    EXPECT_TRUE(CryptGetHashParam(hash, HP_HASHVAL, value, &length, 0));
    EXPECT_EQ(length, 16u);
    std::string text;
    for (BYTE byte : value) {
        text += "0123456789abcdef"[byte >> 4];
        text += "0123456789abcdef"[byte & 15];
    }
    return text;
}

// RFC 1321 vectors, fed whole and byte by byte; the long one spans blocks.
TEST(CryptHash, Md5OfTheRfcTestSuite) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", kMd5OfAbc},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    HCRYPTPROV provider = VerifyContext();
    for (const auto& [input, digest] : cases) {
        SCOPED_TRACE(input);
        HCRYPTHASH whole = Md5Of(provider, input);
        EXPECT_EQ(HexValue(whole), digest);
        EXPECT_TRUE(CryptDestroyHash(whole));
        HCRYPTHASH piecewise = Md5Of(provider, "");
        for (char byte : input) {
            ASSERT_TRUE(CryptHashData(piecewise, reinterpret_cast<const BYTE*>(&byte), 1, 0));
        }
        EXPECT_EQ(HexValue(piecewise), digest);
        EXPECT_TRUE(CryptDestroyHash(piecewise));
    }
    EXPECT_TRUE(CryptReleaseContext(provider, 0));
}

// A new user's container does not exist until CRYPT_NEWKEYSET makes it;
// making it twice is NTE_EXISTS; releasing keeps it, deleting zeroes the
// handle.
TEST(CryptAcquireContext, KeyContainerLifecycle) {
    const char* name = "crypto-test-lifecycle";
    const auto acquire = [name](HCRYPTPROV* provider, DWORD flags) {
        *provider = kSentinelHandle;
        return CryptAcquireContextA(provider, name, nullptr, PROV_RSA_FULL, flags);
    };
    HCRYPTPROV provider;
    HCRYPTPROV second;
    EXPECT_FAILS_WITH(acquire(&provider, 0), NTE_BAD_KEYSET);
    EXPECT_EQ(provider, 0u);
    ASSERT_TRUE(acquire(&provider, CRYPT_NEWKEYSET));
    EXPECT_FAILS_WITH(acquire(&second, CRYPT_NEWKEYSET), NTE_EXISTS);
    EXPECT_EQ(second, 0u);
    EXPECT_TRUE(CryptReleaseContext(provider, 0));
    ASSERT_TRUE(acquire(&second, 0));
    EXPECT_TRUE(CryptReleaseContext(second, 0));
    EXPECT_TRUE(acquire(&provider, CRYPT_DELETEKEYSET));
    EXPECT_EQ(provider, 0u);
    EXPECT_FAILS_WITH(acquire(&provider, 0), NTE_BAD_KEYSET);
}

// A null buffer asks for the size; a short one fails with ERROR_MORE_DATA,
// sets the size needed and leaves the buffer alone.
TEST(CryptGetHashParam, SizeProtocol) {
    HCRYPTPROV provider = VerifyContext();
    HCRYPTHASH hash = Md5Of(provider, "");
    for (auto [parameter, size] : {std::pair<DWORD, DWORD>{HP_HASHSIZE, 4}, {HP_HASHVAL, 16}}) {
        SCOPED_TRACE(parameter);
        DWORD length = 0xFFFF;
        EXPECT_TRUE(CryptGetHashParam(hash, parameter, nullptr, &length, 0));
        EXPECT_EQ(length, size);
        BYTE buffer[16] = {0xAA};
        length = size - 1;
        EXPECT_FAILS_WITH(CryptGetHashParam(hash, parameter, buffer, &length, 0), ERROR_MORE_DATA);
        EXPECT_EQ(length, size);
        EXPECT_EQ(buffer[0], 0xAA);
    }
    EXPECT_TRUE(CryptDestroyHash(hash));
    EXPECT_TRUE(CryptReleaseContext(provider, 0));
}

// Each refusal sets its last error, and a refused acquire or create zeroes
// the handle it was given. Fetching HP_HASHVAL finishes the hash (more
// data is NTE_BAD_HASH_STATE). A hash outlives its context; destroyed and
// released handles are refused instead of being touched.
TEST(CryptApi, RefusalsSetTheLastError) {
    HCRYPTPROV provider = VerifyContext();
    HCRYPTPROV released = VerifyContext();
    HCRYPTHASH orphan = Md5Of(released, "a");
    ASSERT_TRUE(CryptReleaseContext(released, 0));
    EXPECT_TRUE(CryptHashData(orphan, reinterpret_cast<const BYTE*>("bc"), 2, 0));
    HCRYPTHASH read = Md5Of(provider, "abc");
    EXPECT_EQ(HexValue(read), kMd5OfAbc);
    HCRYPTHASH destroyed = Md5Of(provider, "");
    ASSERT_TRUE(CryptDestroyHash(destroyed));

    ULONG_PTR handle = kSentinelHandle;
    BYTE value[16] = {};
    DWORD length = sizeof value;
    const auto acquire = [&](const char* name, DWORD type, DWORD flags) {
        return CryptAcquireContextA(&handle, nullptr, name, type, flags);
    };
    const auto create = [&](HCRYPTPROV context, ALG_ID algorithm, HCRYPTKEY key) {
        return CryptCreateHash(context, algorithm, key, 0, &handle);
    };
    const struct {
        std::function<BOOL()> call;
        HRESULT error;
        bool zeroes_handle;
    } cases[] = {
        {[&] { return acquire(nullptr, 24, CRYPT_VERIFYCONTEXT); }, NTE_PROV_TYPE_NOT_DEF, true},
        {[&] { return acquire("Other", PROV_RSA_FULL, CRYPT_VERIFYCONTEXT); }, NTE_KEYSET_NOT_DEF,
         true},
        {[&] { return acquire(nullptr, PROV_RSA_FULL, CRYPT_NEWKEYSET | CRYPT_DELETEKEYSET); },
         NTE_BAD_FLAGS, true},
        {[&] { return CryptAcquireContextA(nullptr, nullptr, nullptr, PROV_RSA_FULL, 0); },
         ERROR_INVALID_PARAMETER, false},
        {[&] { return create(released, CALG_MD5, 0); }, NTE_BAD_UID, true},
        {[&] { return create(provider, 0x8004, 0); }, NTE_BAD_ALGID, true},  // SHA-1
        {[&] { return create(provider, CALG_MD5, 1); }, NTE_BAD_KEY, true},
        {[&] { return CryptGetHashParam(read, 3, value, &length, 0); }, NTE_BAD_TYPE, false},
        {[&] { return CryptGetHashParam(read, HP_HASHVAL, nullptr, nullptr, 0); },
         ERROR_INVALID_PARAMETER, false},
        {[&] { return CryptHashData(read, value, 1, 0); }, NTE_BAD_HASH_STATE, false},
        {[&] { return CryptReleaseContext(released, 0); }, NTE_BAD_UID, false},
        {[&] { return CryptDestroyHash(destroyed); }, NTE_BAD_HASH, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        handle = kSentinelHandle;
        EXPECT_FAILS_WITH(c.call(), c.error);
        EXPECT_EQ(handle, c.zeroes_handle ? 0u : kSentinelHandle);
    }
    EXPECT_EQ(HexValue(read), kMd5OfAbc);
    EXPECT_EQ(HexValue(orphan), kMd5OfAbc);
    EXPECT_TRUE(CryptDestroyHash(orphan));
    EXPECT_TRUE(CryptDestroyHash(read));
    EXPECT_TRUE(CryptReleaseContext(provider, 0));
}

}  // namespace
