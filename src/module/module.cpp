// The module's four exports and its cached class objects.
#include <platform/com.h>

#include <array>
#include <mutex>
#include <new>

#include "module/class_factory.h"
#include "module/class_table.h"
#include "module/module_path.h"
#include "module/registration.h"

using vantrel::ClassFactory;
using vantrel::ClassTable;
using vantrel::kClassCount;

namespace {

std::mutex g_module_mutex;
std::array<ClassFactory*, kClassCount> g_class_objects{};

// Runs when the module is unloaded from the process.
__attribute__((destructor)) void ReleaseClassObjects() {
    std::lock_guard lock(g_module_mutex);
    for (ClassFactory*& object : g_class_objects) {
        if (object != nullptr) {
            object->Release();
            object = nullptr;
        }
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid,
                                                                            REFIID riid,
                                                                            void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    auto table = ClassTable();
    for (size_t i = 0; i < table.size(); ++i) {
        if (!IsEqualGUID(clsid, table[i]->identity.clsid)) {
            continue;
        }
        ClassFactory* object = nullptr;
        {
            // Created and stored under the lock, so two callers share one.
            std::lock_guard lock(g_module_mutex);
            if (g_class_objects[i] == nullptr) {
                g_class_objects[i] = new (std::nothrow) ClassFactory(*table[i]);
                if (g_class_objects[i] == nullptr) {
                    return E_OUTOFMEMORY;
                }
            }
            object = g_class_objects[i];
            object->AddRef();
        }
        HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllCanUnloadNow() {
    return vantrel::ModuleLockCount() == 0 ? S_OK : S_FALSE;
}

extern "C" __attribute__((visibility("default"))) HRESULT DllRegisterServer() {
    try {
        std::string path = vantrel::ModulePath();
        if (path.empty()) {
            return E_UNEXPECTED;
        }
        return vantrel::RegisterClasses(path);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

extern "C" __attribute__((visibility("default"))) HRESULT DllUnregisterServer() {
    try {
        return vantrel::UnregisterClasses();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
