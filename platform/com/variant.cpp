// VARIANT ownership: what a VARIANT holds it owns, and VariantClear frees.
#include <platform/com.h>

namespace {

constexpr VARTYPE kTypeMask = 0x0FFF;
constexpr VARTYPE kVector = 0x1000;
constexpr VARTYPE kLastType = 36;  // VT_RECORD, the highest VARIANT type Windows accepts

bool IsValidType(VARTYPE vt) {
    VARTYPE base = vt & kTypeMask;
    return (vt & kVector) == 0 && base <= kLastType && base != 15;
}

}  // namespace

VT_EXTERN_C VT_PLATFORM_API void VariantInit(VARIANT* v) {
    if (v != nullptr)
        v->vt = VT_EMPTY;
}

// Windows refuses a bare VT_ARRAY as a bad type and leaks the array; the
// module types its settings blobs exactly that way, so here the array is
// destroyed like any VT_ARRAY|x.
VT_EXTERN_C VT_PLATFORM_API HRESULT VariantClear(VARIANT* v) {
    if (v == nullptr)
        return E_INVALIDARG;
    if (!IsValidType(v->vt))
        return DISP_E_BADVARTYPE;
    if ((v->vt & VT_BYREF) == 0) {
        if (v->vt & VT_ARRAY) {
            HRESULT hr = SafeArrayDestroy(v->parray);
            if (FAILED(hr))
                return hr;
        } else if (v->vt == VT_BSTR) {
            SysFreeString(v->bstrVal);
        } else if ((v->vt == VT_UNKNOWN || v->vt == VT_DISPATCH) && v->punkVal != nullptr) {
            v->punkVal->Release();
        }
    }
    v->vt = VT_EMPTY;
    return S_OK;
}
