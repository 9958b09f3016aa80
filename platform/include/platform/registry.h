/*
 * Registry of the stand-in platform: HKEY_CLASSES_ROOT only, kept in a
 * file-backed hive in the .reg text format. Every change is written to a
 * temporary file and renamed over the hive, so an interrupted registration
 * never leaves a torn file.
 *
 * Return values are Win32 error codes (ERROR_SUCCESS and friends), as the
 * Reg* functions of Windows return them. Only REG_SZ values are kept; other
 * types are refused with ERROR_INVALID_PARAMETER.
 *
 * The hive is reread whenever the file changed, and changes are made under
 * an advisory lock on "<hive>.lock", so several processes can share it.
 * A handle names its key by path: a key deleted through this process gives
 * ERROR_KEY_DELETED on its open handles, and so does a key that vanished
 * from the file. A hive file that cannot be parsed gives ERROR_BADDB.
 */
#ifndef PLATFORM_REGISTRY_H
#define PLATFORM_REGISTRY_H

#include <platform/com.h>

typedef struct VtRegKey* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;

#define HKEY_CLASSES_ROOT ((HKEY)(uintptr_t)0x80000000u)

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_ITEMS 259L
#define ERROR_CANTREAD 1012L
#define ERROR_CANTWRITE 1013L
#define ERROR_KEY_DELETED 1018L
#define ERROR_BADDB 1009L

#define REG_NONE 0
#define REG_SZ 1

#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_ALL_ACCESS 0xF003F

VT_BEGIN_C

/* Stand-in only: where the hive lives is the host's choice. Without a call,
 * $VANTREL_REGISTRY, else ~/.local/share/vantrel/registry.reg. */
VT_PLATFORM_API LONG VtRegistrySetHiveFile(LPCSTR path);
VT_PLATFORM_API LONG VtRegistryGetHiveFile(LPSTR buffer, DWORD size);

VT_PLATFORM_API LONG RegCreateKeyExA(HKEY key, LPCSTR subkey, DWORD reserved, LPSTR klass,
                                     DWORD options, REGSAM sam, void* security, PHKEY result,
                                     DWORD* disposition);
VT_PLATFORM_API LONG RegOpenKeyExA(HKEY key, LPCSTR subkey, DWORD options, REGSAM sam,
                                   PHKEY result);
VT_PLATFORM_API LONG RegCloseKey(HKEY key);
/* A NULL or empty name is the key's default value. */
VT_PLATFORM_API LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                                    const BYTE* data, DWORD size);
VT_PLATFORM_API LONG RegQueryValueExA(HKEY key, LPCSTR name, DWORD* reserved, DWORD* type,
                                      BYTE* data, DWORD* size);
/* Fails with ERROR_ACCESS_DENIED when the key still has subkeys, as Windows does. */
VT_PLATFORM_API LONG RegDeleteKeyA(HKEY key, LPCSTR subkey);
VT_PLATFORM_API LONG RegDeleteTreeA(HKEY key, LPCSTR subkey);
VT_PLATFORM_API LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* name_size,
                                   DWORD* reserved, LPSTR klass, DWORD* class_size,
                                   void* last_write);
VT_PLATFORM_API LONG RegQueryInfoKeyA(HKEY key, LPSTR klass, DWORD* class_size, DWORD* reserved,
                                      DWORD* subkeys, DWORD* max_subkey_len, DWORD* max_class_len,
                                      DWORD* values, DWORD* max_value_name_len,
                                      DWORD* max_value_len, DWORD* security, void* last_write);

VT_END_C

#endif /* PLATFORM_REGISTRY_H */
