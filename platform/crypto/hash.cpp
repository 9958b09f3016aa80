// CryptoAPI contexts and MD5 hash objects over OpenSSL's EVP interface.
// Handles are checked against the live ones, so a stale or made-up handle
// gets Windows' error instead of a read of freed memory.
#include <platform/wincrypt.h>

#include <openssl/evp.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <unordered_set>

namespace {

constexpr DWORD kMd5Size = 16;

struct Context {
    std::string container;  // empty for a verification context
};

struct EvpContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

struct Hash {
    std::unique_ptr<EVP_MD_CTX, EvpContextFree> digest;
    // Set once the value was fetched: the hash takes no more data.
    bool finished = false;
    BYTE value[kMd5Size] = {};
};

struct State {
    std::mutex lock;
    std::set<std::string> containers;
    std::unordered_set<const Context*> contexts;
    std::unordered_set<const Hash*> hashes;
};

State& Shared() {
    static State state;
    return state;
}

// Fetched once: an implicit fetch on every EVP_DigestInit_ex costs more
// than hashing a short text.
const EVP_MD* Md5() {
    static EVP_MD* md5 = EVP_MD_fetch(nullptr, "MD5", nullptr);
    return md5;
}

BOOL Fail(HRESULT error) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
}

// Windows names the default container after the user; one name serves here.
std::string ContainerName(LPCSTR container) {
    return container == nullptr ? std::string("default") : std::string(container);
}

Hash* FindHash(State& state, HCRYPTHASH handle) {
    auto* hash = reinterpret_cast<Hash*>(handle);
    return state.hashes.count(hash) != 0 ? hash : nullptr;
}

// Copies a DWORD parameter out, with CryptoAPI's size protocol.
BOOL PutDword(DWORD value, BYTE* data, DWORD* length) {
    if (data == nullptr) {
        *length = sizeof value;
        return TRUE;
    }
    if (*length < sizeof value) {
        *length = sizeof value;
        return Fail(ERROR_MORE_DATA);
    }
    std::memcpy(data, &value, sizeof value);
    *length = sizeof value;
    return TRUE;
}

BOOL PutValue(Hash& hash, BYTE* data, DWORD* length) {
    if (data == nullptr) {
        *length = kMd5Size;
        return TRUE;
    }
    if (*length < kMd5Size) {
        *length = kMd5Size;
        return Fail(ERROR_MORE_DATA);
    }
    if (!hash.finished) {
        unsigned int size = 0;
        if (EVP_DigestFinal_ex(hash.digest.get(), hash.value, &size) != 1 || size != kMd5Size) {
            return Fail(NTE_FAIL);
        }
        hash.finished = true;
    }
    std::memcpy(data, hash.value, kMd5Size);
    *length = kMd5Size;
    return TRUE;
}

}  // namespace

VT_EXTERN_C VT_PLATFORM_API BOOL CryptAcquireContextA(HCRYPTPROV* provider, LPCSTR container,
                                                      LPCSTR provider_name, DWORD type,
                                                      DWORD flags) {
    if (provider == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    *provider = 0;
    if (flags != 0 && flags != CRYPT_VERIFYCONTEXT && flags != CRYPT_NEWKEYSET &&
        flags != CRYPT_DELETEKEYSET) {
        return Fail(NTE_BAD_FLAGS);
    }
    if (type != PROV_RSA_FULL) {
        return Fail(NTE_PROV_TYPE_NOT_DEF);
    }
    if (provider_name != nullptr) {
        return Fail(NTE_KEYSET_NOT_DEF);
    }
    State& state = Shared();
    std::lock_guard<std::mutex> guard(state.lock);
    const std::string name = ContainerName(container);
    if (flags == CRYPT_DELETEKEYSET) {
        return state.containers.erase(name) != 0 ? TRUE : Fail(NTE_BAD_KEYSET);
    }
    if (flags == CRYPT_NEWKEYSET) {
        if (state.containers.count(name) != 0) {
            return Fail(NTE_EXISTS);
        }
    } else if (flags == 0 && state.containers.count(name) == 0) {
        return Fail(NTE_BAD_KEYSET);
    }
    auto* context = new (std::nothrow) Context;
    if (context == nullptr) {
        return Fail(NTE_NO_MEMORY);
    }
    try {
        if (flags != CRYPT_VERIFYCONTEXT) {
            context->container = name;
            state.containers.insert(name);
        }
        state.contexts.insert(context);
    } catch (const std::bad_alloc&) {
        delete context;
        return Fail(NTE_NO_MEMORY);
    }
    *provider = reinterpret_cast<HCRYPTPROV>(context);
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL CryptReleaseContext(HCRYPTPROV provider, DWORD flags) {
    State& state = Shared();
    std::lock_guard<std::mutex> guard(state.lock);
    auto* context = reinterpret_cast<Context*>(provider);
    if (state.contexts.count(context) == 0) {
        return Fail(NTE_BAD_UID);
    }
    if (flags != 0) {
        return Fail(NTE_BAD_FLAGS);
    }
    state.contexts.erase(context);
    delete context;
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL CryptCreateHash(HCRYPTPROV provider, ALG_ID algorithm,
                                                 HCRYPTKEY key, DWORD flags, HCRYPTHASH* hash) {
    if (hash == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    *hash = 0;
    State& state = Shared();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.contexts.count(reinterpret_cast<Context*>(provider)) == 0) {
        return Fail(NTE_BAD_UID);
    }
    if (algorithm != CALG_MD5) {
        return Fail(NTE_BAD_ALGID);
    }
    if (key != 0) {
        return Fail(NTE_BAD_KEY);
    }
    if (flags != 0) {
        return Fail(NTE_BAD_FLAGS);
    }
    auto made = std::unique_ptr<Hash>(new (std::nothrow) Hash);
    if (!made) {
        return Fail(NTE_NO_MEMORY);
    }
    made->digest.reset(EVP_MD_CTX_new());
    if (!made->digest || Md5() == nullptr ||
        EVP_DigestInit_ex2(made->digest.get(), Md5(), nullptr) != 1) {
        return Fail(NTE_FAIL);
    }
    try {
        state.hashes.insert(made.get());
    } catch (const std::bad_alloc&) {
        return Fail(NTE_NO_MEMORY);
    }
    *hash = reinterpret_cast<HCRYPTHASH>(made.release());
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL CryptHashData(HCRYPTHASH handle, const BYTE* data, DWORD length,
                                               DWORD flags) {
    State& state = Shared();
    std::lock_guard<std::mutex> guard(state.lock);
    Hash* hash = FindHash(state, handle);
    if (hash == nullptr) {
        return Fail(NTE_BAD_HASH);
    }
    if (flags != 0) {
        return Fail(NTE_BAD_FLAGS);
    }
    if (data == nullptr && length != 0) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (hash->finished) {
        return Fail(NTE_BAD_HASH_STATE);
    }
    if (length != 0 && EVP_DigestUpdate(hash->digest.get(), data, length) != 1) {
        return Fail(NTE_FAIL);
    }
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API BOOL CryptGetHashParam(HCRYPTHASH handle, DWORD parameter, BYTE* data,
                                                   DWORD* length, DWORD flags) {
    State& state = Shared();
    std::lock_guard<std::mutex> guard(state.lock);
    Hash* hash = FindHash(state, handle);
    if (hash == nullptr) {
        return Fail(NTE_BAD_HASH);
    }
    if (length == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (flags != 0) {
        return Fail(NTE_BAD_FLAGS);
    }
    switch (parameter) {
    case HP_ALGID:
        return PutDword(CALG_MD5, data, length);
    case HP_HASHSIZE:
        return PutDword(kMd5Size, data, length);
    case HP_HASHVAL:
        return PutValue(*hash, data, length);
    default:
        return Fail(NTE_BAD_TYPE);
    }
}

VT_EXTERN_C VT_PLATFORM_API BOOL CryptDestroyHash(HCRYPTHASH handle) {
    State& state = Shared();
    std::lock_guard<std::mutex> guard(state.lock);
    Hash* hash = FindHash(state, handle);
    if (hash == nullptr) {
        return Fail(NTE_BAD_HASH);
    }
    state.hashes.erase(hash);
    delete hash;
    return TRUE;
}
