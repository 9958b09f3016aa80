/*
 * CryptoAPI hashing of the stand-in platform: contexts of the default
 * PROV_RSA_FULL provider and MD5 hash objects, computed by OpenSSL.
 *
 * Key containers live in memory for the life of the process, and none
 * exists at first, as for a new Windows user: acquiring the default
 * container with flags 0 fails with NTE_BAD_KEYSET until one call with
 * CRYPT_NEWKEYSET has made it. CRYPT_VERIFYCONTEXT needs no container.
 * Failures return FALSE with the reason in GetLastError().
 */
#ifndef PLATFORM_WINCRYPT_H
#define PLATFORM_WINCRYPT_H

#include <platform/com.h>
#include <platform/module.h>

typedef uintptr_t ULONG_PTR;
typedef ULONG_PTR HCRYPTPROV;
typedef ULONG_PTR HCRYPTHASH;
typedef ULONG_PTR HCRYPTKEY;
typedef unsigned int ALG_ID;

#define PROV_RSA_FULL 1

#define CRYPT_VERIFYCONTEXT 0xF0000000u
#define CRYPT_NEWKEYSET 0x00000008u
#define CRYPT_DELETEKEYSET 0x00000010u

#define CALG_MD5 0x00008003u

/* CryptGetHashParam */
#define HP_ALGID 0x0001
#define HP_HASHVAL 0x0002
#define HP_HASHSIZE 0x0004

/* Last errors, with Windows' values. */
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L
#define NTE_BAD_UID ((HRESULT)0x80090001L)
#define NTE_BAD_HASH ((HRESULT)0x80090002L)
#define NTE_BAD_KEY ((HRESULT)0x80090003L)
#define NTE_BAD_ALGID ((HRESULT)0x80090008L)
#define NTE_BAD_FLAGS ((HRESULT)0x80090009L)
#define NTE_BAD_TYPE ((HRESULT)0x8009000AL)
#define NTE_BAD_HASH_STATE ((HRESULT)0x8009000CL)
#define NTE_NO_MEMORY ((HRESULT)0x8009000EL)
#define NTE_EXISTS ((HRESULT)0x8009000FL)
#define NTE_BAD_KEYSET ((HRESULT)0x80090016L)
#define NTE_PROV_TYPE_NOT_DEF ((HRESULT)0x80090017L)
#define NTE_KEYSET_NOT_DEF ((HRESULT)0x80090019L)
#define NTE_FAIL ((HRESULT)0x80090020L)

VT_BEGIN_C

/* Only the default provider (a null name) of type PROV_RSA_FULL. A null
 * container names the default one. With CRYPT_DELETEKEYSET the container
 * is removed and *provider is set to 0. */
VT_PLATFORM_API BOOL CryptAcquireContextA(HCRYPTPROV* provider, LPCSTR container,
                                          LPCSTR provider_name, DWORD type, DWORD flags);
/* Hash objects made on the context stay usable after it is released. */
VT_PLATFORM_API BOOL CryptReleaseContext(HCRYPTPROV provider, DWORD flags);

/* CALG_MD5 only, without a key. */
VT_PLATFORM_API BOOL CryptCreateHash(HCRYPTPROV provider, ALG_ID algorithm, HCRYPTKEY key,
                                     DWORD flags, HCRYPTHASH* hash);
/* Fails with NTE_BAD_HASH_STATE once the value has been fetched. */
VT_PLATFORM_API BOOL CryptHashData(HCRYPTHASH hash, const BYTE* data, DWORD length, DWORD flags);
/* HP_ALGID and HP_HASHSIZE give a DWORD, HP_HASHVAL the value (which ends
 * the hashing). A null data pointer asks for the size in *length; a
 * smaller *length fails with ERROR_MORE_DATA and sets the size needed. */
VT_PLATFORM_API BOOL CryptGetHashParam(HCRYPTHASH hash, DWORD parameter, BYTE* data,
                                       DWORD* length, DWORD flags);
VT_PLATFORM_API BOOL CryptDestroyHash(HCRYPTHASH hash);

VT_END_C

#endif /* PLATFORM_WINCRYPT_H */
