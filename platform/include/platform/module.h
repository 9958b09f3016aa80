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

#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004

VT_BEGIN_C

VT_PLATFORM_API HMODULE LoadLibraryExA(LPCSTR path, void* reserved, DWORD flags);
VT_PLATFORM_API BOOL FreeLibrary(HMODULE module);
VT_PLATFORM_API void* GetProcAddress(HMODULE module, LPCSTR name);
/* With FLAG_FROM_ADDRESS the handle of the module holding that address. */
VT_PLATFORM_API BOOL GetModuleHandleExA(DWORD flags, LPCSTR name_or_address, HMODULE* module);
VT_PLATFORM_API DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);

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
