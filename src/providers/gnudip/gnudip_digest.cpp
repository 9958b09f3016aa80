#include "providers/gnudip/gnudip_digest.h"

#include <cctype>

namespace vantrel::gnudip {

namespace {

// Room for any digest CryptoAPI has (SHA-512's 64 bytes); MD5 needs 16.
constexpr DWORD kMaxHashSize = 64;

// A hash object destroyed on every path out of Md5Hex.
class HashObject {
public:
    ~HashObject() {
        if (m_hash != 0) {
            CryptDestroyHash(m_hash);
        }
    }
    HCRYPTHASH* Put() { return &m_hash; }
    HCRYPTHASH Get() const { return m_hash; }

private:
    HCRYPTHASH m_hash = 0;
};

}  // namespace

bool CryptContext::Acquire() {
    Release();
    return CryptAcquireContextA(&m_provider, nullptr, nullptr, PROV_RSA_FULL, 0) ||
           CryptAcquireContextA(&m_provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_NEWKEYSET);
}

void CryptContext::Release() {
    if (m_provider != 0) {
        CryptReleaseContext(m_provider, 0);
        m_provider = 0;
    }
}

bool HexEncode(const BYTE* bytes, DWORD length, char* out, DWORD capacity, DWORD* written) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (bytes == nullptr || out == nullptr || written == nullptr ||
        capacity < 2 * static_cast<uint64_t>(length) + 1) {
        return false;
    }
    for (DWORD i = 0; i < length; ++i) {
        out[2 * i] = kDigits[bytes[i] >> 4];
        out[2 * i + 1] = kDigits[bytes[i] & 0x0F];
    }
    *written = 2 * length;
    return true;
}

bool Md5Hex(HCRYPTPROV context, const BYTE* bytes, DWORD length, Text& out) {
    HashObject hash;
    if (!CryptCreateHash(context, CALG_MD5, 0, 0, hash.Put()) ||
        !CryptHashData(hash.Get(), bytes, length, 0)) {
        return false;
    }
    DWORD size = 0;
    DWORD size_length = sizeof size;
    if (!CryptGetHashParam(hash.Get(), HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &size_length,
                           0) ||
        size == 0 || size > kMaxHashSize) {
        return false;
    }
    BYTE value[kMaxHashSize];
    if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, value, &size, 0)) {
        return false;
    }
    char hex[2 * kMaxHashSize + 1] = {};
    DWORD written = 0;
    if (!HexEncode(value, size, hex, sizeof hex, &written)) {
        return false;
    }
    for (DWORD i = 0; i < written; ++i) {
        hex[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(hex[i])));
    }
    out = Text(hex, static_cast<int>(written));
    return true;
}

bool SaltedDigest(HCRYPTPROV context, const Text& password, std::string_view salt,
                  Text& digest) {
    Text inner;
    if (!Md5Hex(context, reinterpret_cast<const BYTE*>(password.CStr()),
                static_cast<DWORD>(password.Length()), inner)) {
        return false;
    }
    inner.Append('.');
    inner.Append(salt.data(), static_cast<int>(salt.size()));
    return Md5Hex(context, reinterpret_cast<const BYTE*>(inner.CStr()),
                  static_cast<DWORD>(inner.Length()), digest);
}

}  // namespace vantrel::gnudip
