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

HRESULT Lock(SAFEARRAY* array) {
    if (array == nullptr)
        return E_INVALIDARG;
    if (array->cLocks >= kMaxLocks)
        return E_UNEXPECTED;
    ++array->cLocks;
    return S_OK;
}

HRESULT Unlock(SAFEARRAY* array) {
    if (array == nullptr)
        return E_INVALIDARG;
    if (array->cLocks == 0)
        return E_UNEXPECTED;
    --array->cLocks;
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

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
    if (array == nullptr || data == nullptr)
        return E_INVALIDARG;
    HRESULT hr = Lock(array);
    *data = SUCCEEDED(hr) ? array->pvData : nullptr;
    return hr;
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayUnaccessData(SAFEARRAY* array) {
    return Unlock(array);
}

VT_EXTERN_C VT_PLATFORM_API HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
    if (array == nullptr || bound == nullptr)
        return E_INVALIDARG;
    if (dim == 0 || dim > array->cDims)
        return DISP_E_BADINDEX;
    *bound = array->rgsabound[0].lLbound;
    return S_OK;
}
