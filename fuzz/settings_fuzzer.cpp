// Arbitrary bytes as a settings blob for every view's and every updater's
// SetData: each view active on its page (and Generic GnuDIP2's also before
// its page exists), then GetData of what the page took. The module's
// pieces are linked in, with its packed resources, so the pages are found
// in this program's own resource section.
#include <platform/ole2.h>
#include <vantrel/vantrel.h>

#include "module/class_table.h"
#include "host/site/active_view.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

host::ComRef<IUnknown> Create(const vantrel::ClassInfo& info) {
    static const bool initialised = SUCCEEDED(CoInitialize(nullptr));
    host::ComRef<IUnknown> object;
    if (!initialised || FAILED(info.create(nullptr, IID_IUnknown, object.Put()))) std::abort();
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
    for (const vantrel::ClassInfo* info : vantrel::ClassTable()) {
        host::ComRef<IUnknown> object = Create(*info);
        if (info->identity.kind != vantrel::ClassKind::View) {
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
