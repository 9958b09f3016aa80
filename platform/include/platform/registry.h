/*
 * Registry of the stand-in platform: HKEY_CLASSES_ROOT only, kept in a
 * file-backed hive in the .reg text format. Every change is written to a
 * temporary file, synced once and renamed over the hive, so an interrupted
 * change never leaves a torn file. The folder is not synced: after a power
 * loss the hive may be the one before the last change, but never a torn one.
 * Temporary files a killed writer left are removed by the next write.
 *
 * Return values are Win32 error codes (ERROR_SUCCESS and friends), as the
 * Reg* functions of Windows return them. Only REG_SZ values are kept; other
 * types are refused with ERROR_INVALID_PARAMETER.
 *
 * The hive is reread whenever the file changed, and changes are made under
 * an advisory lock on the hive's folder, so several processes can share it
 * and no lock file is left behind. A plain change waits at most 10 s for
 * another process's change (ERROR_TIMEOUT), and is refused with
 * ERROR_TRANSACTIONAL_CONFLICT while a transaction of this process holds
 * the hive.
 * A handle names its key by path: a key deleted through this process gives
 * ERROR_KEY_DELETED on its open handles, and so does a key that vanished
 * from the file. A hive file that cannot be parsed, or that nests keys
 * deeper than 512 levels (the limit of Windows), gives ERROR_BADDB.
 *
 * Transactions: a change made of many calls (a registration) is collected
 * in a transaction and written with one atomic replacement of the hive.
 * The first RegOpenKeyTransactedA takes the hive's writers' lock and holds
 * it until the transaction ends, so the transaction reads and writes a hive
 * no other writer touches; readers elsewhere see the hive before the commit
 * or after it. Keys opened or created below a transacted key belong to the
 * same transaction. RegOverridePredefKey makes HKEY_CLASSES_ROOT stand for
 * such a key, so code that only knows the plain calls joins a transaction
 * its host opened.
 */
#ifndef PLATFORM_REGISTRY_H
#define PLATFORM_REGISTRY_H

#include <platform/com.h>

typedef struct VtRegKey* HKEY;
typedef HKEY* PHKEY;
typedef DWORD REGSAM;
typedef void* HANDLE;
#ifndef INVALID_HANDLE_VALUE
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#endif

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
#define ERROR_TIMEOUT 1460L
#define ERROR_TRANSACTION_NOT_ACTIVE 6701L
#define ERROR_TRANSACTIONAL_CONFLICT 6800L

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

/* A key nested deeper than 512 levels is refused with ERROR_INVALID_PARAMETER. */
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

/* The transaction waits at most timeout milliseconds for another writer of
 * the hive when a key is first opened in it (0: 10 s); the other arguments
 * are ignored. INVALID_HANDLE_VALUE (last-error ERROR_OUTOFMEMORY) on
 * failure, as on Windows. */
VT_PLATFORM_API HANDLE CreateTransaction(void* attributes, GUID* uow, DWORD options,
                                         DWORD isolation_level, DWORD isolation_flags,
                                         DWORD timeout, WCHAR* description);
/* Writes every change of the transaction at once; a transaction that
 * changed nothing writes nothing. Either call ends the transaction and
 * releases the lock; its keys then give ERROR_TRANSACTION_NOT_ACTIVE.
 * FALSE with the reason in last-error on failure. */
VT_PLATFORM_API BOOL CommitTransaction(HANDLE transaction);
VT_PLATFORM_API BOOL RollbackTransaction(HANDLE transaction);
/* Closing a transaction that was not committed rolls it back. */
VT_PLATFORM_API BOOL CloseHandle(HANDLE handle);

/* Opens a key of the hive within the transaction. The first one takes the
 * hive's writers' lock (ERROR_TIMEOUT when another writer keeps it past
 * the transaction's timeout, ERROR_TRANSACTIONAL_CONFLICT when this
 * process already changes the hive in another transaction). */
VT_PLATFORM_API LONG RegOpenKeyTransactedA(HKEY key, LPCSTR subkey, DWORD options, REGSAM sam,
                                           PHKEY result, HANDLE transaction, void* extended);
/* Makes HKEY_CLASSES_ROOT stand for new_key in this process until it is
 * called again with NULL; new_key may be closed afterwards. */
VT_PLATFORM_API LONG RegOverridePredefKey(HKEY key, HKEY new_key);

VT_END_C

#endif /* PLATFORM_REGISTRY_H */
