// One-dimensional SAFEARRAYs. The element type is kept in front of the
// descriptor (FADF_HAVEVARTYPE), as Windows keeps it.
#include <platform/com.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr ULONG kMaxLocks = 0xFFFF;  // Windows' limit on nested locks
constexpr VARTYPE kI1 = 16, kR4 = 4, kCy = 6, kDate = 7;

struct ArrayBlock {
    VARTYPE vt;
    SAFEARRAY array;
};

ArrayBlock* BlockOf(SAFEARRAY* array) {
    return reinterpret_cast<ArrayBlock*>(reinterpret_cast<char*>(array) -
                                         offsetof(ArrayBlock, array));
}

ULONG ElementSize(VARTYPE vt) {
    switch (vt) {
    case VT_UI1: case kI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_ERROR: case kR4: return 4;
    case VT_R8: case kCy: case kDate: return 8;
    case VT_BSTR: case VT_UNKNOWN: case VT_DISPATCH: return sizeof(void*);
    case VT_VARIANT: return sizeof(VARIANT);
    default: return 0;
    }
}

USHORT FeaturesOf(VARTYPE vt) {
    switch (vt) {
    case VT_BSTR: return FADF_HAVEVARTYPE | FADF_BSTR;
    case VT_UNKNOWN: return FADF_HAVEVARTYPE | FADF_UNKNOWN;
    case VT_DISPATCH: return FADF_HAVEVARTYPE | FADF_DISPATCH;
    case VT_VARIANT: return FADF_HAVEVARTYPE | FADF_VARIANT;
    default: return FADF_HAVEVARTYPE;
    }
}

VARTYPE TypeOf(SAFEARRAY* array) {
    if (array->fFeatures & FADF_HAVEVARTYPE)
        return BlockOf(array)->vt;
    if (array->fFeatures & FADF_BSTR)
        return VT_BSTR;
    if (array->fFeatures & FADF_VARIANT)
        return VT_VARIANT;
    if (array->fFeatures & FADF_DISPATCH)
        return VT_DISPATCH;
    if (array->fFeatures & FADF_UNKNOWN)
        return VT_UNKNOWN;
    return VT_EMPTY;
}

void* ElementAt(SAFEARRAY* array, ULONG index) {
    return static_cast<char*>(array->pvData) + static_cast<size_t>(index) * array->cbElements;
}

// The element's offset from the lower bound, or -1 when out of bounds.
int64_t IndexOf(SAFEARRAY* array, const LONG* indices) {
    int64_t index = static_cast<int64_t>(indices[0]) - array->rgsabound[0].lLbound;
    return index >= 0 && index < array->rgsabound[0].cElements ? index : -1;
}

void ReleaseElements(SAFEARRAY* array) {
    VARTYPE vt = TypeOf(array);
    for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) {
        void* element = ElementAt(array, i);
        if (vt == VT_BSTR) {
            SysFreeString(*static_cast<BSTR*>(element));
        } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
            if (auto* unknown = *static_cast<IUnknown**>(element))
                unknown->Release();
        } else if (vt == VT_VARIANT) {
            VariantClear(static_cast<VARIANT*>(element));
        }
    }
}

// Stores a copy of value (the element itself for BSTR and interfaces, a
// pointer to it otherwise), as SafeArrayPutElement takes it.
HRESULT CopyIn(VARTYPE vt, void* element, const void* value, ULONG size) {
    if (vt == VT_BSTR) {
        auto source = static_cast<BSTR>(const_cast<void*>(value));
        BSTR copy = SysAllocStringByteLen(static_cast<LPCSTR>(value), SysStringByteLen(source));
        if (copy == nullptr)
            return E_OUTOFMEMORY;
        SysFreeString(*static_cast<BSTR*>(element));
        *static_cast<BSTR*>(element) = copy;
    } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        auto* unknown = static_cast<IUnknown*>(const_cast<void*>(value));
        if (unknown != nullptr)
            unknown->AddRef();
        if (auto* old = *static_cast<IUnknown**>(element))
            old->Release();
        *static_cast<IUnknown**>(element) = unknown;
    } else if (vt == VT_VARIANT) {
        return VariantCopy(static_cast<VARIANT*>(element), static_cast<const VARIANT*>(value));
    } else {
        std::memcpy(element, value, size);
    }
    return S_OK;
}

// Hands a copy of the element to the caller's out-parameter.
HRESULT CopyOut(VARTYPE vt, const void* element, void* value, ULONG size) {
    if (vt == VT_BSTR) {
        BSTR source = *static_cast<const BSTR*>(element);
        BSTR copy = nullptr;
        if (source != nullptr) {
            copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source), SysStringByteLen(source));
            if (copy == nullptr)
                return E_OUTOFMEMORY;
        }
        *static_cast<BSTR*>(value) = copy;
    } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        IUnknown* unknown = *static_cast<IUnknown* const*>(element);
        if (unknown != nullptr)
            unknown->AddRef();
        *static_cast<IUnknown**>(value) = unknown;
    } else if (vt == VT_VARIANT) {
        VariantInit(static_cast<VARIANT*>(value));
        return VariantCopy(static_cast<VARIANT*>(value), static_cast<const VARIANT*>(element));
    } else {
        std::memcpy(value, element, size);
    }
    return S_OK;
}

// Runs access on one element with the array locked, as Windows locks it
// for the length of an element access.
template <typename Access>
HRESULT AccessElement(SAFEARRAY* array, const LONG* indices, Access access) {
    int64_t index = IndexOf(array, indices);
    if (index < 0)
        return DISP_E_BADINDEX;
    HRESULT hr = SafeArrayLock(array);
    if (FAILED(hr))
        return hr;
    hr = access(ElementAt(array, static_cast<ULONG>(index)));
    SafeArrayUnlock(array);
    return hr;
}

enum class Bound { kLower, kUpper };

HRESULT GetBound(SAFEARRAY* array, UINT dim, LONG* bound, Bound which) {
    if (array == nullptr || bound == nullptr)
        return E_INVALIDARG;
    if (dim == 0 || dim > array->cDims)
        return DISP_E_BADINDEX;
    const SAFEARRAYBOUND& range = array->rgsabound[0];
    *bound = which == Bound::kLower
                 ? range.lLbound
                 : static_cast<LONG>(static_cast<int64_t>(range.lLbound) + range.cElements - 1);
    return S_OK;
}

}  // namespace

VT_EXTERN_C VT_PLATFORM_API SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims,
                                                       SAFEARRAYBOUND* bounds) {
    ULONG size = ElementSize(vt);
    if (size == 0 || dims != 1 || bounds == nullptr)
        return nullptr;
    ULONG count = bounds[0].cElements;
    if (count > 0x7FFFFFFFu / size)
        return nullptr;
    auto* block = static_cast<ArrayBlock*>(std::calloc(1, sizeof(ArrayBlock)));
    if (block == nullptr)
        return nullptr;
    // Windows hands out a data pointer even for zero elements.
    void* data = std::calloc(count == 0 ? 1 : count, size);
    if (data == nullptr) {
        std::free(block);
        return nullptr;
    }
    block->vt = vt;
    SAFEARRAY* array = &block->array;
    array->cDims = 1;
    array->fFeatures = FeaturesOf(vt);
    array->cbElements = size;
    array->pvData = data;
    array->rgsabound[0] = bounds[0];
    return array;
}

VT_EXTERN_C VT_PLATFORM_API SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lower, ULONG count) {
    SAFEARRAYBOUND bound{count, lower};
    return SafeArrayCreate(vt, 1, &bound);
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayDestroy(SAFEARRAY* array) {
    if (array == nullptr)
        return S_OK;
    if (array->cLocks > 0)
        return DISP_E_ARRAYISLOCKED;
    ReleaseElements(array);
    std::free(array->pvData);
    std::free(BlockOf(array));
    return S_OK;
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayLock(SAFEARRAY* array) {
    if (array == nullptr)
        return E_INVALIDARG;
    if (array->cLocks >= kMaxLocks)
        return E_UNEXPECTED;
    ++array->cLocks;
    return S_OK;
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayUnlock(SAFEARRAY* array) {
    if (array == nullptr)
        return E_INVALIDARG;
    if (array->cLocks == 0)
        return E_UNEXPECTED;
    --array->cLocks;
    return S_OK;
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
    if (array == nullptr || data == nullptr)
        return E_INVALIDARG;
    HRESULT hr = SafeArrayLock(array);
    *data = SUCCEEDED(hr) ? array->pvData : nullptr;
    return hr;
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
    return SafeArrayUnlock(array);
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices,
                                                        void* value) {
    if (array == nullptr || indices == nullptr)
        return E_INVALIDARG;
    VARTYPE vt = TypeOf(array);
    if (value == nullptr && vt != VT_BSTR && vt != VT_UNKNOWN && vt != VT_DISPATCH)
        return E_INVALIDARG;
    return AccessElement(array, indices, [&](void* element) {
        return CopyIn(vt, element, value, array->cbElements);
    });
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices,
                                                        void* value) {
    if (array == nullptr || indices == nullptr || value == nullptr)
        return E_INVALIDARG;
    return AccessElement(array, indices, [&](void* element) {
        return CopyOut(TypeOf(array), element, value, array->cbElements);
    });
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
    return GetBound(array, dim, bound, Bound::kLower);
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) {
    return GetBound(array, dim, bound, Bound::kUpper);
}

VT_EXTERN_C VT_PLATFORM_API UINT SafeArrayGetDim(SAFEARRAY* array) {
    return array == nullptr ? 0 : array->cDims;
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
    if (array == nullptr || vt == nullptr)
        return E_INVALIDARG;
    *vt = TypeOf(array);
    return S_OK;
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy) {
    if (copy == nullptr)
        return E_INVALIDARG;
    *copy = nullptr;
    if (array == nullptr)
        return S_OK;
    VARTYPE vt = TypeOf(array);
    SAFEARRAY* result = SafeArrayCreate(vt, array->cDims, array->rgsabound);
    if (result == nullptr)
        return E_OUTOFMEMORY;
    for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) {
        const void* from = ElementAt(array, i);
        if (vt == VT_BSTR || vt == VT_UNKNOWN || vt == VT_DISPATCH) {
            from = *static_cast<void* const*>(from);
            if (from == nullptr)
                continue;  // a null element stays null
        }
        HRESULT hr = CopyIn(vt, ElementAt(result, i), from, array->cbElements);
        if (FAILED(hr)) {
            SafeArrayDestroy(result);
            return hr;
        }
    }
    *copy = result;
    return S_OK;
}
