// Arbitrary bytes as a settings blob for every view's and every updater's
// SetData: each view active on its page (and Generic GnuDIP2's also before
// its page exists), then GetData of what the page took.
#include <platform/ole2.h>
#include <vantrel/vantrel.h>

#include "contract/class_ids.h"
#include "host/site/active_view.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

VantrelDllGetClassObjectFn LoadModule() {
    static VantrelDllGetClassObjectFn get_class_object = [] {
        if (FAILED(CoInitialize(nullptr))) std::abort();
        HMODULE module = LoadLibraryExA(VANTREL_MODULE_PATH, nullptr, 0);
        auto found = module != nullptr ? reinterpret_cast<VantrelDllGetClassObjectFn>(
                                             GetProcAddress(module, "DllGetClassObject"))
                                       : nullptr;
        if (found == nullptr) std::abort();
        return found;
    }();
    return get_class_object;
}

host::ComRef<IUnknown> Create(const vantrel::ClassIdentity& identity) {
    host::ComRef<IClassFactory> factory;
    host::ComRef<IUnknown> object;
    if (SUCCEEDED(LoadModule()(identity.clsid, IID_IClassFactory, factory.Put()))) {
        factory->CreateInstance(nullptr, IID_IUnknown, object.Put());
    }
    if (!object) std::abort();
    return object;
}

// The caller's VARIANT: VT_ARRAY over the bytes.
struct Blob {
    VARIANT value;
    Blob(const uint8_t* data, size_t size) {
        VariantInit(&value);
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size));
        void* bytes = nullptr;
        if (array == nullptr || FAILED(SafeArrayAccessData(array, &bytes))) std::abort();
        if (size > 0) std::memcpy(bytes, data, size);
        SafeArrayUnaccessData(array);
        value.vt = VT_ARRAY;
        value.parray = array;
    }
    ~Blob() { VariantClear(&value); }
};

void GetData(IGView* view) {
    VARIANT result;
    VariantInit(&result);
    if (view->GetData(&result) != S_OK) std::abort();
    VariantClear(&result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Blob blob(data, size);
    for (const vantrel::ClassIdentity* identity : vantrel::kClassIdentities) {
        host::ComRef<IUnknown> object = Create(*identity);
        if (identity->kind != vantrel::ClassKind::View) {
            host::ComRef<IIPUpdate> updater;
            object->QueryInterface(IID_IIPUpdate, updater.Put());
            if (!updater || updater->SetData(blob.value) != S_OK) std::abort();
            continue;
        }
        host::ComRef<IGView> view;
        object->QueryInterface(IID_IGView, view.Put());
        if (!view || view->SetData(blob.value) != S_OK) std::abort();
        host::ActiveView active;
        if (FAILED(host::ActiveView::Activate(object.Get(), &active))) std::abort();
        if (view->SetData(blob.value) != S_OK) std::abort();
        GetData(view.Get());
    }
    return 0;
}
