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

VT_EXTERN_C VT_PLATFORM_API HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (dest == nullptr || src == nullptr)
        return E_INVALIDARG;
    if (!IsValidType(src->vt))
        return DISP_E_BADVARTYPE;
    if (dest == src)
        return S_OK;
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr))
        return hr;
    VARIANT copy = *src;
    if ((src->vt & VT_BYREF) == 0) {
        if (src->vt & VT_ARRAY) {
            hr = SafeArrayCopy(src->parray, &copy.parray);
            if (FAILED(hr))
                return hr;
        } else if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
            copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(src->bstrVal),
                                                 SysStringByteLen(src->bstrVal));
            if (copy.bstrVal == nullptr)
                return E_OUTOFMEMORY;
        } else if ((src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) && src->punkVal != nullptr) {
            src->punkVal->AddRef();
        }
    }
    *dest = copy;
    return S_OK;
}
