/*
 * Type libraries of the stand-in. A module carries its type library as a
 * "TYPELIB" resource in a small IDL-like text (see docs in typelib.cpp):
 *
 *   library VantrelLib {GUID} 1.0 "help string"
 *   interface IGView {IID} dual "IGView Interface"
 *   method 1 GetDisplayName "method GetDisplayName"
 *   coclass DipDNS {CLSID} "DipDNS Class" default IDipDNS
 *
 * Registration writes HKCR\TypeLib\{lib}\1.0 and, for dual or
 * oleautomation interfaces, HKCR\Interface\{iid} with the universal
 * marshaller, as the Windows registration does.
 */
#ifndef PLATFORM_TYPELIB_H
#define PLATFORM_TYPELIB_H

#include <platform/com.h>

typedef enum SYSKIND { SYS_WIN16 = 0, SYS_WIN32 = 1, SYS_MAC = 2, SYS_WIN64 = 3 } SYSKIND;

#ifdef __cplusplus
struct ITypeLib;
#else
typedef struct ITypeLib ITypeLib;
#endif

VT_BEGIN_C

/* Registers the type library held as resource "TYPELIB" 1 in the module
 * file at path; help_dir is the registered help directory. */
VT_PLATFORM_API HRESULT VtRegisterTypeLibFromModule(LPCSTR path, LPCSTR help_dir);
VT_PLATFORM_API HRESULT UnRegisterTypeLib(REFGUID lib, WORD major, WORD minor, LCID lcid,
                                          SYSKIND syskind);

VT_END_C

#endif /* PLATFORM_TYPELIB_H */
