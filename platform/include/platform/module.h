/*
 * Modules and their resources. A module is an ELF shared object; its
 * resources travel inside the file in a section named ".vtrsrc", so a host
 * can read them without running the module (LOAD_LIBRARY_AS_DATAFILE), as
 * on Windows.
 */
#ifndef PLATFORM_MODULE_H
#define PLATFORM_MODULE_H

#include <platform/com.h>

typedef struct VtModule* HMODULE;
typedef HMODULE HINSTANCE;
typedef struct VtResource* HRSRC;
typedef void* HGLOBAL;

#define MAKEINTRESOURCEA(i) ((LPCSTR)(uintptr_t)((WORD)(i)))
#define IS_INTRESOURCE(p) ((((uintptr_t)(p)) >> 16) == 0)

/* Resource types, as numbered by Windows; named types ("REGISTRY",
 * "TYPELIB") are strings. */
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_VERSION MAKEINTRESOURCEA(16)

/* Last-error values of the module functions, as Windows numbers them. */
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_BAD_EXE_FORMAT 193L
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812L
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L

#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004

VT_BEGIN_C

/* Loading one path twice gives the same handle and counts twice. A data-file
 * load only reads the file (an ELF64 object) and never runs it; each such
 * load is its own handle. */
VT_PLATFORM_API HMODULE LoadLibraryExA(LPCSTR path, void* reserved, DWORD flags);
VT_PLATFORM_API BOOL FreeLibrary(HMODULE module);
VT_PLATFORM_API void* GetProcAddress(HMODULE module, LPCSTR name);
/* With FLAG_FROM_ADDRESS the handle of the module holding that address. */
VT_PLATFORM_API BOOL GetModuleHandleExA(DWORD flags, LPCSTR name_or_address, HMODULE* module);
/* A null module is the executable. A short buffer gets the truncated path
 * with a NUL, the result is size and last-error ERROR_INSUFFICIENT_BUFFER. */
VT_PLATFORM_API DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

/* Names and types are MAKEINTRESOURCEA ids, "#123", or (types only) names
 * compared without case. Resource data stays valid until FreeLibrary. */
VT_PLATFORM_API HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
VT_PLATFORM_API HGLOBAL LoadResource(HMODULE module, HRSRC resource);
VT_PLATFORM_API void* LockResource(HGLOBAL data);
VT_PLATFORM_API DWORD SizeofResource(HMODULE module, HRSRC resource);

/* A non-continuable exception ends the process with the code and a line on
 * stderr, as an unhandled structured exception does. */
#define EXCEPTION_ARRAY_BOUNDS_EXCEEDED 0xC000008Cu
#define EXCEPTION_NONCONTINUABLE 0x1
VT_PLATFORM_API void RaiseException(DWORD code, DWORD flags, DWORD argc, const uintptr_t* argv);

VT_PLATFORM_API DWORD GetLastError(void);
VT_PLATFORM_API void SetLastError(DWORD error);

VT_END_C

#endif /* PLATFORM_MODULE_H */
