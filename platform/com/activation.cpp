// Activation through the registry: HKCR\<ProgID>\CLSID names the class,
// HKCR\CLSID\{...}\InprocServer32 names the module, which is loaded once
// per path and asked through DllGetClassObject.
#include "com_internal.h"

#include <platform/module.h>

#include <map>
#include <mutex>

namespace {

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);

struct LoadedServer {
    HMODULE module;
    GetClassObjectFn get_class_object;
};

struct Servers {
    // Recursive: a module's DllGetClassObject may itself activate classes.
    std::recursive_mutex mutex;
    std::map<std::string, LoadedServer> by_path;
};

Servers& Loaded() {
    static Servers* servers = new Servers;  // outlives every static destructor
    return *servers;
}

thread_local int t_init_count = 0;

// The loaded server for a path, loading it on first use.
HRESULT ServerFor(const std::string& path, LoadedServer** server) {
    auto& servers = Loaded().by_path;
    if (auto it = servers.find(path); it != servers.end()) {
        *server = &it->second;
        return S_OK;
    }
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, 0);
    if (module == nullptr)
        return CO_E_DLLNOTFOUND;
    auto get = reinterpret_cast<GetClassObjectFn>(GetProcAddress(module, "DllGetClassObject"));
    if (get == nullptr) {
        FreeLibrary(module);
        return CO_E_ERRORINDLL;
    }
    // Servers stay loaded for the life of the process.
    *server = &servers.emplace(path, LoadedServer{module, get}).first->second;
    return S_OK;
}

}  // namespace

VT_EXTERN_C VT_PLATFORM_API HRESULT CoInitialize(void*) {
    return t_init_count++ == 0 ? S_OK : S_FALSE;
}

VT_EXTERN_C VT_PLATFORM_API void CoUninitialize(void) {
    if (t_init_count > 0)
        --t_init_count;
}

VT_EXTERN_C VT_PLATFORM_API HRESULT CLSIDFromProgID(LPCOLESTR progid, CLSID* clsid) {
    if (progid == nullptr || clsid == nullptr)
        return E_INVALIDARG;
    *clsid = IID_NULL;
    std::string name = vtplatform::Narrow(progid);
    if (name.empty())
        return CO_E_CLASSSTRING;
    bool failed = false;
    auto text = vtplatform::ReadRegistryString(name + "\\CLSID", &failed);
    if (failed)
        return REGDB_E_READREGDB;
    if (!text || !vtplatform::GuidFromNarrow(*text, clsid))
        return CO_E_CLASSSTRING;
    return S_OK;
}

VT_EXTERN_C VT_PLATFORM_API HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*,
                                                     REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_INVALIDARG;
    *ppv = nullptr;
    if ((context & CLSCTX_INPROC_SERVER) == 0)
        return REGDB_E_CLASSNOTREG;  // only in-process servers exist here
    bool failed = false;
    auto path = vtplatform::ReadRegistryString(
        "CLSID\\" + vtplatform::GuidToNarrow(clsid) + "\\InprocServer32", &failed);
    if (failed)
        return REGDB_E_READREGDB;  // a damaged hive is not a missing class
    if (!path || path->empty())
        return REGDB_E_CLASSNOTREG;
    std::lock_guard guard(Loaded().mutex);
    LoadedServer* server = nullptr;
    if (HRESULT hr = ServerFor(*path, &server); FAILED(hr))
        return hr;
    return server->get_class_object(clsid, riid, ppv);
}

VT_EXTERN_C VT_PLATFORM_API HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer,
                                                     DWORD context, REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr && !IsEqualGUID(riid, IID_IUnknown))
        return CLASS_E_NOAGGREGATION;
    void* factory_pointer = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, &factory_pointer);
    if (FAILED(hr))
        return hr;
    auto* factory = static_cast<IClassFactory*>(factory_pointer);
    hr = factory->CreateInstance(outer, riid, ppv);
    factory->Release();
    return hr;
}
