// Arbitrary bytes as a settings blob for a view's or an updater's SetData,
// the class picked by the first byte: a view before its page exists and
// again active on its page, then GetData of what the page took. The module's
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

// The first byte picks the class, so each run pays for one page, not nine.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const vantrel::ClassInfo* info = vantrel::ClassTable()[data[0] % vantrel::kClassCount];
    Blob blob(data + 1, size - 1);
    host::ComRef<IUnknown> object = Create(*info);
    if (info->identity.kind != vantrel::ClassKind::View) {
        host::ComRef<IIPUpdate> updater;
        object->QueryInterface(IID_IIPUpdate, updater.Put());
        if (!updater || updater->SetData(blob.value) != S_OK) std::abort();
        return 0;
    }
    host::ComRef<IGView> view;
    object->QueryInterface(IID_IGView, view.Put());
    if (!view || view->SetData(blob.value) != S_OK) std::abort();
    host::ActiveView active;
    if (FAILED(host::ActiveView::Activate(object.Get(), &active))) std::abort();
    if (view->SetData(blob.value) != S_OK) std::abort();
    GetData(view.Get());
    return 0;
}
