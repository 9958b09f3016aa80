// Writes and removes the registry keys of the class table. Every class
// writes its two ProgIDs and its class-ID key; views add what a control
// container looks for. Values are all REG_SZ.
#include "module/registration.h"

#include <platform/registry.h>
#include <platform/typelib.h>
#include <vantrel/vantrel.h>

#include <utility>

#include "contract/guid_text.h"
#include "module/class_table.h"

namespace vantrel {

namespace {

// OLEMISC 0x20191: recompose on resize, cannot link inside, inside-out,
// activate when visible, set client site first.
constexpr const char* kViewMiscStatus = "131473";

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (m_key != nullptr) {
            RegCloseKey(m_key);
        }
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    HKEY Get() const { return m_key; }
    HKEY* Put() { return &m_key; }

private:
    HKEY m_key = nullptr;
};

HRESULT FromWin32(LONG error) {
    return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error);
}

HRESULT SetString(HKEY key, const char* name, const std::string& value) {
    return FromWin32(RegSetValueExA(key, name, 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1)));
}

// Creates or opens HKCR\path; sets the default value when one is given.
HRESULT WriteKey(const std::string& path, const char* default_value, RegKey& key) {
    HRESULT hr = FromWin32(RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, key.Put(), nullptr));
    if (SUCCEEDED(hr) && default_value != nullptr) {
        hr = SetString(key.Get(), nullptr, default_value);
    }
    return hr;
}

HRESULT WriteKey(const std::string& path, const char* default_value) {
    RegKey key;
    return WriteKey(path, default_value, key);
}

HRESULT DeleteTree(const std::string& path) {
    LONG error = RegDeleteTreeA(HKEY_CLASSES_ROOT, path.c_str());
    return error == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(error);
}

// Keys that are deleted with their subtree are also deleted before being
// written, so nothing stale survives a re-registration.
HRESULT WriteFreshKey(const std::string& path, const char* default_value, RegKey& key) {
    HRESULT hr = DeleteTree(path);
    return SUCCEEDED(hr) ? WriteKey(path, default_value, key) : hr;
}

HRESULT WriteFreshKey(const std::string& path, const char* default_value) {
    RegKey key;
    return WriteFreshKey(path, default_value, key);
}

// Removes HKCR\path unless it is gone already or still has subkeys.
HRESULT RemoveKeyIfLeaf(const std::string& path) {
    DWORD subkeys = 0;
    {
        RegKey key;
        LONG error = RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, key.Put());
        if (error == ERROR_FILE_NOT_FOUND) {
            return S_OK;
        }
        HRESULT hr = FromWin32(error);
        if (SUCCEEDED(hr)) {
            hr = FromWin32(RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                            nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
        }
        if (FAILED(hr)) {
            return hr;
        }
    }
    return subkeys != 0 ? S_OK : FromWin32(RegDeleteKeyA(HKEY_CLASSES_ROOT, path.c_str()));
}

struct ClassNames {
    std::string prog_id;
    std::string independent_prog_id;
    std::string description;
    std::string clsid_key;

    explicit ClassNames(const ClassInfo& info)
        : prog_id(std::string("Vantrel.") + info.identity.name + ".1"),
          independent_prog_id(std::string("Vantrel.") + info.identity.name),
          description(std::string(info.identity.name) + " Class"),
          clsid_key("CLSID\\" + GuidText(info.identity.clsid)) {}
};

// Runs the steps in order; the first failure ends the walk.
template <typename... Steps>
HRESULT InOrder(Steps&&... steps) {
    HRESULT hr = S_OK;
    ((SUCCEEDED(hr) ? (hr = steps(), 0) : 0), ...);
    return hr;
}

HRESULT RegisterProgIds(const ClassInfo& info, const ClassNames& names) {
    const std::string clsid = GuidText(info.identity.clsid);
    const char* description = names.description.c_str();
    return InOrder(
        [&] { return WriteKey(names.prog_id, description); },
        [&] { return WriteKey(names.prog_id + "\\CLSID", clsid.c_str()); },
        [&] { return WriteKey(names.independent_prog_id, description); },
        [&] { return WriteKey(names.independent_prog_id + "\\CLSID", clsid.c_str()); },
        [&] { return WriteKey(names.independent_prog_id + "\\CurVer", names.prog_id.c_str()); });
}

HRESULT RegisterViewKeys(const ClassInfo& info, const ClassNames& names,
                         const std::string& module) {
    const std::string& base = names.clsid_key;
    const std::string bitmap = module + ", " + std::to_string(info.bitmap_id);
    return InOrder([&] { return WriteFreshKey(base + "\\Control", nullptr); },
                   [&] { return WriteFreshKey(base + "\\ToolboxBitmap32", bitmap.c_str()); },
                   [&] { return WriteKey(base + "\\MiscStatus", "0"); },
                   [&] { return WriteKey(base + "\\MiscStatus\\1", kViewMiscStatus); },
                   [&] { return WriteKey(base + "\\Version", "1.0"); });
}

HRESULT RegisterClass(const ClassInfo& info, const std::string& module) {
    const ClassNames names(info);
    const std::string& base = names.clsid_key;
    const std::string type_library = GuidText(LIBID_VantrelLib);
    return InOrder(
        [&] { return RegisterProgIds(info, names); }, [&] { return WriteKey("CLSID", nullptr); },
        [&] {
            RegKey key;
            HRESULT hr = WriteFreshKey(base, names.description.c_str(), key);
            return SUCCEEDED(hr) ? SetString(key.Get(), "AppID", "") : hr;
        },
        [&] { return WriteKey(base + "\\ProgID", names.prog_id.c_str()); },
        [&] {
            return WriteKey(base + "\\VersionIndependentProgID", names.independent_prog_id.c_str());
        },
        [&] { return WriteFreshKey(base + "\\Programmable", nullptr); },
        [&] {
            RegKey key;
            HRESULT hr = WriteKey(base + "\\InprocServer32", module.c_str(), key);
            return SUCCEEDED(hr) ? SetString(key.Get(), "ThreadingModel", "Apartment") : hr;
        },
        [&] { return WriteKey(base + "\\TypeLib", type_library.c_str()); },
        [&] { return info.IsView() ? RegisterViewKeys(info, names, module) : S_OK; });
}

// Subkeys before their parent; "CLSID" itself always stays.
HRESULT UnregisterClass(const ClassInfo& info) {
    const ClassNames names(info);
    return InOrder([&] { return RemoveKeyIfLeaf(names.prog_id + "\\CLSID"); },
                   [&] { return RemoveKeyIfLeaf(names.prog_id); },
                   [&] { return RemoveKeyIfLeaf(names.independent_prog_id + "\\CLSID"); },
                   [&] { return RemoveKeyIfLeaf(names.independent_prog_id + "\\CurVer"); },
                   [&] { return RemoveKeyIfLeaf(names.independent_prog_id); },
                   [&] { return DeleteTree(names.clsid_key); });
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

HRESULT RegisterClasses(const std::string& module_path) {
    // A registrar script doubles single quotes only to carry the path inside
    // its quoted strings; written from code, the value is the path itself, so
    // a module in a folder named with a quote can still be loaded.
    for (const ClassInfo* info : ClassTable()) {
        HRESULT hr = RegisterClass(*info, module_path);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return VtRegisterTypeLibFromModule(module_path.c_str(), FolderOf(module_path).c_str());
}

HRESULT UnregisterClasses() {
    for (const ClassInfo* info : ClassTable()) {
        HRESULT hr = UnregisterClass(*info);
        if (FAILED(hr)) {
            return hr;
        }
    }
    // The library records version 1.0, neutral locale, 32-bit Windows.
    return UnRegisterTypeLib(LIBID_VantrelLib, 1, 0, 0, SYS_WIN32);
}

}  // namespace vantrel
