// CryptoAPI hashing of the stand-in. Each case names the Windows behaviour
// it relies on; outputs and the last error are pre-filled with sentinels.
#include <platform/wincrypt.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr DWORD kSentinelError = 0xDEADBEEF;
constexpr ULONG_PTR kSentinelHandle = 0x5EED;

DWORD Error(HRESULT code) { return static_cast<DWORD>(code); }

// The call fails and sets exactly this last error.
#define EXPECT_FAILS_WITH(call, error)           \
    do {                                         \
        SetLastError(kSentinelError);            \
        EXPECT_FALSE(call);                      \
        EXPECT_EQ(GetLastError(), DWORD(error)); \
    } while (0)

// A verification context needs no key container.
HCRYPTPROV VerifyContext() {
    HCRYPTPROV provider = 0;
    EXPECT_TRUE(CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL,
                                     CRYPT_VERIFYCONTEXT));
    return provider;
}

std::string Hex(const BYTE* bytes, DWORD length) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (DWORD i = 0; i < length; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

// The RFC 1321 test suite, fed whole and then byte by byte: MD5 does not
// care how the data is split over CryptHashData calls.
TEST(CryptHash, Md5OfTheRfcTestSuite) {
    const struct {
        std::string input;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    HCRYPTPROV provider = VerifyContext();
    for (const auto& c : cases) {
        for (bool piecewise : {false, true}) {
            SCOPED_TRACE(c.input + (piecewise ? " (byte by byte)" : ""));
            HCRYPTHASH hash = kSentinelHandle;
            ASSERT_TRUE(CryptCreateHash(provider, CALG_MD5, 0, 0, &hash));
            const auto* bytes = reinterpret_cast<const BYTE*>(c.input.data());
            const auto size = static_cast<DWORD>(c.input.size());
            if (piecewise) {
                for (DWORD i = 0; i < size; ++i) {
                    ASSERT_TRUE(CryptHashData(hash, bytes + i, 1, 0));
                }
            } else {
                ASSERT_TRUE(CryptHashData(hash, bytes, size, 0));
            }
            BYTE value[16];
            DWORD length = sizeof value;
            ASSERT_TRUE(CryptGetHashParam(hash, HP_HASHVAL, value, &length, 0));
            EXPECT_EQ(length, 16u);
            EXPECT_EQ(Hex(value, length), c.digest);
            EXPECT_TRUE(CryptDestroyHash(hash));
        }
    }
    EXPECT_TRUE(CryptReleaseContext(provider, 0));
}

// Windows: the default container of a new user does not exist, so flags 0
// fail with NTE_BAD_KEYSET until CRYPT_NEWKEYSET makes it; making it twice
// fails with NTE_EXISTS; CRYPT_DELETEKEYSET removes it and zeroes the handle.
TEST(CryptAcquireContext, KeyContainerLifecycle) {
    const char* name = "crypto-test-lifecycle";
    HCRYPTPROV provider = kSentinelHandle;
    EXPECT_FAILS_WITH(CryptAcquireContextA(&provider, name, nullptr, PROV_RSA_FULL, 0),
                      NTE_BAD_KEYSET);
    EXPECT_EQ(provider, 0u);

    ASSERT_TRUE(CryptAcquireContextA(&provider, name, nullptr, PROV_RSA_FULL, CRYPT_NEWKEYSET));
    EXPECT_NE(provider, 0u);
    HCRYPTPROV second = kSentinelHandle;
    EXPECT_FAILS_WITH(CryptAcquireContextA(&second, name, nullptr, PROV_RSA_FULL, CRYPT_NEWKEYSET),
                      NTE_EXISTS);
    EXPECT_EQ(second, 0u);
    ASSERT_TRUE(CryptAcquireContextA(&second, name, nullptr, PROV_RSA_FULL, 0));
    EXPECT_NE(second, provider);
    EXPECT_TRUE(CryptReleaseContext(second, 0));
    EXPECT_TRUE(CryptReleaseContext(provider, 0));

    // Releasing a context keeps its container.
    ASSERT_TRUE(CryptAcquireContextA(&provider, name, nullptr, PROV_RSA_FULL, 0));
    EXPECT_TRUE(CryptReleaseContext(provider, 0));
    provider = kSentinelHandle;
    EXPECT_TRUE(CryptAcquireContextA(&provider, name, nullptr, PROV_RSA_FULL, CRYPT_DELETEKEYSET));
    EXPECT_EQ(provider, 0u);
    EXPECT_FAILS_WITH(CryptAcquireContextA(&provider, name, nullptr, PROV_RSA_FULL, 0),
                      NTE_BAD_KEYSET);
}

TEST(CryptAcquireContext, RefusesWhatTheStandInDoesNotProvide) {
    const struct {
        const char* name;
        const char* provider_name;
        DWORD type;
        DWORD flags;
        DWORD error;
    } cases[] = {
        {"another provider type", nullptr, 24, CRYPT_VERIFYCONTEXT, Error(NTE_PROV_TYPE_NOT_DEF)},
        {"a named provider", "Some Other Provider", PROV_RSA_FULL, CRYPT_VERIFYCONTEXT,
         Error(NTE_KEYSET_NOT_DEF)},
        {"unknown flags", nullptr, PROV_RSA_FULL, 0x1234, Error(NTE_BAD_FLAGS)},
        {"two actions at once", nullptr, PROV_RSA_FULL, CRYPT_NEWKEYSET | CRYPT_DELETEKEYSET,
         Error(NTE_BAD_FLAGS)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HCRYPTPROV provider = kSentinelHandle;
        EXPECT_FAILS_WITH(
            CryptAcquireContextA(&provider, nullptr, c.provider_name, c.type, c.flags), c.error);
        EXPECT_EQ(provider, 0u);
    }
    EXPECT_FAILS_WITH(CryptAcquireContextA(nullptr, nullptr, nullptr, PROV_RSA_FULL, 0),
                      ERROR_INVALID_PARAMETER);
}

TEST(CryptCreateHash, RefusesBadArgumentsAndZeroesTheHandle) {
    HCRYPTPROV provider = VerifyContext();
    const struct {
        const char* name;
        HCRYPTPROV provider;
        ALG_ID algorithm;
        HCRYPTKEY key;
        DWORD flags;
        DWORD error;
    } cases[] = {
        {"no context", 0, CALG_MD5, 0, 0, Error(NTE_BAD_UID)},
        {"a made-up context", provider + 8, CALG_MD5, 0, 0, Error(NTE_BAD_UID)},
        {"SHA-1", provider, 0x8004, 0, 0, Error(NTE_BAD_ALGID)},
        {"a key", provider, CALG_MD5, 1, 0, Error(NTE_BAD_KEY)},
        {"flags", provider, CALG_MD5, 0, 1, Error(NTE_BAD_FLAGS)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HCRYPTHASH hash = kSentinelHandle;
        EXPECT_FAILS_WITH(CryptCreateHash(c.provider, c.algorithm, c.key, c.flags, &hash), c.error);
        EXPECT_EQ(hash, 0u);
    }
    EXPECT_FAILS_WITH(CryptCreateHash(provider, CALG_MD5, 0, 0, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(CryptReleaseContext(provider, 0));
}

// Windows: a null buffer asks for the size; a short one fails with
// ERROR_MORE_DATA, sets the size needed and leaves the buffer alone.
TEST(CryptGetHashParam, SizeProtocol) {
    HCRYPTPROV provider = VerifyContext();
    HCRYPTHASH hash = 0;
    ASSERT_TRUE(CryptCreateHash(provider, CALG_MD5, 0, 0, &hash));
    const struct {
        DWORD parameter;
        DWORD size;
    } cases[] = {{HP_ALGID, 4}, {HP_HASHSIZE, 4}, {HP_HASHVAL, 16}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.parameter);
        DWORD length = 0xFFFF;
        EXPECT_TRUE(CryptGetHashParam(hash, c.parameter, nullptr, &length, 0));
        EXPECT_EQ(length, c.size);
        BYTE buffer[16] = {0xAA};
        length = c.size - 1;
        EXPECT_FAILS_WITH(CryptGetHashParam(hash, c.parameter, buffer, &length, 0),
                          ERROR_MORE_DATA);
        EXPECT_EQ(length, c.size);
        EXPECT_EQ(buffer[0], 0xAA);
    }
    DWORD value = 0;
    DWORD length = sizeof value;
    ASSERT_TRUE(CryptGetHashParam(hash, HP_HASHSIZE, reinterpret_cast<BYTE*>(&value), &length, 0));
    EXPECT_EQ(value, 16u);
    ASSERT_TRUE(CryptGetHashParam(hash, HP_ALGID, reinterpret_cast<BYTE*>(&value), &length, 0));
    EXPECT_EQ(value, CALG_MD5);

    EXPECT_FAILS_WITH(CryptGetHashParam(hash, 3, reinterpret_cast<BYTE*>(&value), &length, 0),
                      NTE_BAD_TYPE);
    EXPECT_FAILS_WITH(CryptGetHashParam(hash, HP_HASHVAL, nullptr, nullptr, 0),
                      ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(CryptDestroyHash(hash));
    EXPECT_TRUE(CryptReleaseContext(provider, 0));
}

// Windows: fetching HP_HASHVAL finishes the hash; more data then fails with
// NTE_BAD_HASH_STATE while the value can still be read again.
TEST(CryptHashData, NoDataAfterTheValueWasRead) {
    HCRYPTPROV provider = VerifyContext();
    HCRYPTHASH hash = 0;
    ASSERT_TRUE(CryptCreateHash(provider, CALG_MD5, 0, 0, &hash));
    ASSERT_TRUE(CryptHashData(hash, reinterpret_cast<const BYTE*>("abc"), 3, 0));
    BYTE first[16];
    DWORD length = sizeof first;
    ASSERT_TRUE(CryptGetHashParam(hash, HP_HASHVAL, first, &length, 0));
    EXPECT_FAILS_WITH(CryptHashData(hash, reinterpret_cast<const BYTE*>("d"), 1, 0),
                      NTE_BAD_HASH_STATE);
    BYTE again[16];
    ASSERT_TRUE(CryptGetHashParam(hash, HP_HASHVAL, again, &length, 0));
    EXPECT_EQ(Hex(again, 16), Hex(first, 16));
    EXPECT_EQ(Hex(first, 16), "900150983cd24fb0d6963f7d28e17f72");

    EXPECT_FAILS_WITH(CryptHashData(hash, nullptr, 1, 0), ERROR_INVALID_PARAMETER);
    EXPECT_FAILS_WITH(CryptHashData(hash, first, 1, 1), NTE_BAD_FLAGS);
    EXPECT_TRUE(CryptDestroyHash(hash));
    EXPECT_TRUE(CryptReleaseContext(provider, 0));
}

// A hash outlives the context it was made on; destroyed and released
// handles are refused afterwards instead of being touched.
TEST(CryptHandles, StaleHandlesAreRefused) {
    HCRYPTPROV provider = VerifyContext();
    HCRYPTHASH hash = 0;
    ASSERT_TRUE(CryptCreateHash(provider, CALG_MD5, 0, 0, &hash));
    ASSERT_TRUE(CryptReleaseContext(provider, 0));
    EXPECT_TRUE(CryptHashData(hash, reinterpret_cast<const BYTE*>("a"), 1, 0));

    EXPECT_FAILS_WITH(CryptReleaseContext(provider, 0), NTE_BAD_UID);
    HCRYPTHASH other = kSentinelHandle;
    EXPECT_FALSE(CryptCreateHash(provider, CALG_MD5, 0, 0, &other));
    EXPECT_EQ(other, 0u);

    ASSERT_TRUE(CryptDestroyHash(hash));
    BYTE value[16];
    DWORD length = sizeof value;
    EXPECT_FAILS_WITH(CryptHashData(hash, value, 1, 0), NTE_BAD_HASH);
    EXPECT_FAILS_WITH(CryptGetHashParam(hash, HP_HASHVAL, value, &length, 0), NTE_BAD_HASH);
    EXPECT_FAILS_WITH(CryptDestroyHash(hash), NTE_BAD_HASH);

    HCRYPTPROV live = VerifyContext();
    EXPECT_FAILS_WITH(CryptReleaseContext(live, 1), NTE_BAD_FLAGS);
    EXPECT_TRUE(CryptReleaseContext(live, 0));
}

}  // namespace
