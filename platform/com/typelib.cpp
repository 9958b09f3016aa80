// Registration of a module's type library, as RegisterTypeLib writes it.
#include "com_internal.h"
#include "typelib_parse.h"

#include <platform/module.h>
#include <platform/registry.h>
#include <platform/typelib.h>

#include <cstdio>

namespace {

using namespace vtplatform;
using typelib::InterfaceKind;
using typelib::Library;

// The universal (type-library) marshaller.
constexpr const char* kUniversalMarshaller = "{00020424-0000-0000-C000-000000000046}";

// Windows writes version and locale key names in hexadecimal.
std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

std::string VersionKey(const GUID& libid, WORD major, WORD minor) {
    return "TypeLib\\" + GuidToNarrow(libid) + "\\" + Hex(major) + "." + Hex(minor);
}

const char* SyskindName(SYSKIND syskind) {
    switch (syskind) {
    case SYS_WIN16: return "win16";
    case SYS_WIN32: return "win32";
    case SYS_MAC: return "mac";
    case SYS_WIN64: return "win64";
    }
    return nullptr;
}

bool Registered(InterfaceKind kind) { return kind != InterfaceKind::kPlain; }

bool GuidFromNarrowEquals(const std::string& text, const GUID& guid) {
    GUID parsed;
    return GuidFromNarrow(text, &parsed) && IsEqualGUID(parsed, guid);
}

// The library text of resource "TYPELIB" 1, read without running the file.
std::optional<Library> LoadLibraryText(const char* path) {
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr)
        return std::nullopt;
    std::optional<Library> library;
    if (HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), "TYPELIB")) {
        auto* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
        if (data != nullptr)
            library = typelib::ParseTypeLibrary({data, SizeofResource(module, resource)});
    }
    FreeLibrary(module);
    return library;
}

LONG WriteInterface(const Library& library, const typelib::Interface& item) {
    std::string key = "Interface\\" + GuidToNarrow(item.iid);
    std::string version = Hex(library.major) + "." + Hex(library.minor);
    LONG status = WriteRegistryString(key, "", item.name);
    if (status == ERROR_SUCCESS)
        status = WriteRegistryString(key + "\\ProxyStubClsid", "", kUniversalMarshaller);
    if (status == ERROR_SUCCESS)
        status = WriteRegistryString(key + "\\ProxyStubClsid32", "", kUniversalMarshaller);
    if (status == ERROR_SUCCESS)
        status = WriteRegistryString(key + "\\TypeLib", "", GuidToNarrow(library.libid));
    if (status == ERROR_SUCCESS)
        status = WriteRegistryString(key + "\\TypeLib", "Version", version);
    return status;
}

LONG WriteLibrary(const Library& library, const char* path, const char* help_dir) {
    std::string key = VersionKey(library.libid, library.major, library.minor);
    LONG status = WriteRegistryString(key, "", library.help);
    if (status == ERROR_SUCCESS)
        status = WriteRegistryString(key + "\\0\\win32", "", path);
    if (status == ERROR_SUCCESS)
        status = WriteRegistryString(key + "\\FLAGS", "", "0");
    if (status == ERROR_SUCCESS)
        status = WriteRegistryString(key + "\\HELPDIR", "", help_dir != nullptr ? help_dir : "");
    for (const auto& item : library.interfaces) {
        if (status == ERROR_SUCCESS && Registered(item.kind))
            status = WriteInterface(library, item);
    }
    return status;
}

}  // namespace

VT_EXTERN_C VT_PLATFORM_API HRESULT VtRegisterTypeLibFromModule(LPCSTR path, LPCSTR help_dir) {
    if (path == nullptr || *path == 0)
        return E_INVALIDARG;
    std::optional<Library> library = LoadLibraryText(path);
    if (!library)
        return TYPE_E_CANTLOADLIBRARY;
    return WriteLibrary(*library, path, help_dir) == ERROR_SUCCESS ? S_OK : TYPE_E_REGISTRYACCESS;
}

VT_EXTERN_C VT_PLATFORM_API HRESULT UnRegisterTypeLib(REFGUID lib, WORD major, WORD minor,
                                                      LCID lcid, SYSKIND syskind) {
    const char* platform = SyskindName(syskind);
    if (platform == nullptr)
        return E_INVALIDARG;
    std::string version_key = VersionKey(lib, major, minor);
    bool failed = false;
    auto path = ReadRegistryString(version_key + "\\" + Hex(lcid) + "\\" + platform, &failed);
    if (failed)
        return TYPE_E_REGISTRYACCESS;
    if (!path)
        return TYPE_E_LIBNOTREGISTERED;
    std::optional<Library> library = LoadLibraryText(path->c_str());
    if (!library || !IsEqualGUID(library->libid, lib))
        return TYPE_E_CANTLOADLIBRARY;
    std::string libid = GuidToNarrow(lib);
    for (const auto& item : library->interfaces) {
        std::string key = "Interface\\" + GuidToNarrow(item.iid);
        // Only keys that still name this library belong to it.
        auto owner = ReadRegistryString(key + "\\TypeLib", &failed);
        if (!Registered(item.kind) || !owner || !GuidFromNarrowEquals(*owner, lib))
            continue;
        LONG status = RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            return TYPE_E_REGISTRYACCESS;
    }
    LONG status = RegDeleteTreeA(HKEY_CLASSES_ROOT, version_key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return TYPE_E_REGISTRYACCESS;
    // Other versions may still live under the library key; then it stays.
    status = RegDeleteKeyA(HKEY_CLASSES_ROOT, ("TypeLib\\" + libid).c_str());
    if (status != ERROR_SUCCESS && status != ERROR_ACCESS_DENIED && status != ERROR_FILE_NOT_FOUND)
        return TYPE_E_REGISTRYACCESS;
    // On Windows "TypeLib" and "Interface" belong to the system and always
    // exist; the stand-in hive holds only what was registered, so the two
    // folders go once they are empty (RegDeleteKeyA keeps a key that still
    // has subkeys).
    for (const char* folder : {"TypeLib", "Interface"}) {
        status = RegDeleteKeyA(HKEY_CLASSES_ROOT, folder);
        if (status != ERROR_SUCCESS && status != ERROR_ACCESS_DENIED &&
            status != ERROR_FILE_NOT_FOUND)
            return TYPE_E_REGISTRYACCESS;
    }
    return S_OK;
}
