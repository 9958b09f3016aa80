/*
 * Type libraries of the stand-in. A module carries its type library as
 * resource "TYPELIB" 1, in a small line-based text (UTF-8):
 *
 *   # a comment line (the first non-blank character is #)
 *   library NAME {LIBID} MAJOR.MINOR "help string"
 *   interface NAME {IID} dual|oleautomation|plain "help string"
 *   method DISPID NAME "help string"
 *   coclass NAME {CLSID} "help string" default INTERFACE
 *
 * The library line comes first and only once; a method belongs to the
 * interface above it; a coclass's default interface is one the library
 * declares. NAMEs are identifiers, GUIDs are in braced form, MAJOR and
 * MINOR decimal numbers up to 65535, DISPID a decimal number; help strings
 * are quoted with \" and \\ as escapes. Blank lines are skipped; anything
 * else makes the library unloadable (TYPE_E_CANTLOADLIBRARY). Example:
 *
 *   library VantrelLib {GUID} 1.0 "Vantrel 1.0 Type Library"
 *   interface IGView {IID} dual "IGView Interface"
 *   method 1 GetDisplayName "method GetDisplayName"
 *   coclass DipDNS {CLSID} "DipDNS Class" default IDipDNS
 *
 * Registration writes HKCR\TypeLib\{lib}\<major>.<minor> (hexadecimal, as
 * Windows writes it) with \0\win32, \FLAGS and \HELPDIR, and for dual or
 * oleautomation interfaces HKCR\Interface\{iid} with the universal
 * marshaller, as the Windows registration does. Plain interfaces are not
 * registered.
 */
#ifndef PLATFORM_TYPELIB_H
#define PLATFORM_TYPELIB_H

#include <platform/com.h>

typedef enum SYSKIND { SYS_WIN16 = 0, SYS_WIN32 = 1, SYS_MAC = 2, SYS_WIN64 = 3 } SYSKIND;

#define TYPE_E_REGISTRYACCESS ((HRESULT)0x8002801C)

#ifdef __cplusplus
struct ITypeLib;
#else
typedef struct ITypeLib ITypeLib;
#endif

VT_BEGIN_C

/* Registers the type library held as resource "TYPELIB" 1 in the module
 * file at path (read as a data file, never run); the path is registered as
 * given and help_dir (null: empty) as the help directory.
 * TYPE_E_CANTLOADLIBRARY when the file, resource or text is unusable,
 * TYPE_E_REGISTRYACCESS when the registry cannot be written. */
VT_PLATFORM_API HRESULT VtRegisterTypeLibFromModule(LPCSTR path, LPCSTR help_dir);
/* Reads the registered path, reloads the description from it, removes the
 * interface keys registered for this library, the version key, and the
 * library key once it is empty. TYPE_E_LIBNOTREGISTERED when that version
 * is not registered for lcid and syskind; TYPE_E_CANTLOADLIBRARY, with
 * nothing removed, when the registered file no longer holds the library. */
VT_PLATFORM_API HRESULT UnRegisterTypeLib(REFGUID lib, WORD major, WORD minor, LCID lcid,
                                          SYSKIND syskind);

VT_END_C

#endif /* PLATFORM_TYPELIB_H */
