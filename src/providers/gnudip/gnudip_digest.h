// The GnuDIP proof of the password: MD5 through CryptoAPI, as lowercase hex.
// The server hands out a salt and checks md5(md5(password) "." salt), so
// the password itself never goes on the wire.
#pragma once

#include "text/text.h"

#include <platform/wincrypt.h>

#include <string_view>

namespace vantrel::gnudip {

// A context of the default PROV_RSA_FULL provider, released on scope exit.
class CryptContext {
public:
    CryptContext() = default;
    ~CryptContext() { Release(); }
    CryptContext(const CryptContext&) = delete;
    CryptContext& operator=(const CryptContext&) = delete;

    // A user who never used CryptoAPI has no default key container: the
    // second try makes it.
    [[nodiscard]] bool Acquire();
    void Release();
    HCRYPTPROV Get() const { return m_provider; }

private:
    HCRYPTPROV m_provider = 0;
};

// Two hex digits per byte, high nibble first, in upper case, into a buffer
// of at least 2n+1 bytes (not terminated here). False when a pointer is
// missing or the buffer is too small; *written is then untouched.
bool HexEncode(const BYTE* bytes, DWORD length, char* out, DWORD capacity, DWORD* written);

// The MD5 digest of the bytes as 32 lowercase hex digits. False when any
// CryptoAPI step fails; `out` is then untouched.
[[nodiscard]] bool Md5Hex(HCRYPTPROV context, const BYTE* bytes, DWORD length, Text& out);

// md5hex(md5hex(password) "." salt), the value sent in place of the password.
[[nodiscard]] bool SaltedDigest(HCRYPTPROV context, const Text& password, std::string_view salt,
                                Text& digest);

}  // namespace vantrel::gnudip
