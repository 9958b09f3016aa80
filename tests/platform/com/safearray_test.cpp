// Conformance of SAFEARRAY and VARIANT ownership with Windows behaviour.
#include <platform/com.h>

#include <gtest/gtest.h>

namespace {

struct CountedUnknown : IUnknown {
    ULONG refs = 1;
    HRESULT QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }
};

// Windows gives each VARTYPE its element size and refuses types a
// SAFEARRAY cannot hold; more than one dimension is refused here.
TEST(SafeArray, CreateSetsElementSizeAndBounds) {
    const struct {
        VARTYPE vt;
        ULONG size;  // 0: creation fails
        USHORT feature;
    } cases[] = {
        {VT_UI1, 1, 0},
        {VT_I2, 2, 0},
        {VT_I4, 4, 0},
        {VT_BOOL, 2, 0},
        {VT_R8, 8, 0},
        {VT_EMPTY, 0, 0},
        {VT_NULL, 0, 0},
        {VT_ARRAY | VT_UI1, 0, 0},
        {VT_BSTR, sizeof(BSTR), FADF_BSTR},
        {VT_UNKNOWN, sizeof(void*), FADF_UNKNOWN},
        {VT_VARIANT, sizeof(VARIANT), FADF_VARIANT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vt);
        SAFEARRAY* array = SafeArrayCreateVector(c.vt, -2, 5);
        if (c.size == 0) {
            EXPECT_EQ(array, nullptr);
            continue;
        }
        ASSERT_NE(array, nullptr);
        EXPECT_EQ(array->cbElements, c.size);
        EXPECT_EQ(array->fFeatures & c.feature, c.feature);
        EXPECT_EQ(array->cDims, 1u);
        LONG lower = 99;
        EXPECT_EQ(SafeArrayGetLBound(array, 1, &lower), S_OK);
        EXPECT_EQ(lower, -2);
        lower = 99;
        EXPECT_EQ(SafeArrayGetLBound(array, 2, &lower), DISP_E_BADINDEX);
        EXPECT_EQ(lower, 99);
        EXPECT_EQ(SafeArrayDestroy(array), S_OK);
    }
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_UI1, 2, bounds), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_UI1, 1, nullptr), nullptr);
}

// Windows: AccessData locks (and nests), a locked array cannot be destroyed
// (DISP_E_ARRAYISLOCKED), unlocking an unlocked array is E_UNEXPECTED.
TEST(SafeArray, LockCountGuardsDestroy) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, 4);
    ASSERT_NE(array, nullptr);
    void* data = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(SafeArrayAccessData(array, &data), S_OK);
    EXPECT_EQ(data, array->pvData);
    EXPECT_EQ(array->cLocks, 1u);
    EXPECT_EQ(SafeArrayAccessData(array, &data), S_OK);
    EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(array), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(array), E_UNEXPECTED);
    EXPECT_EQ(SafeArrayAccessData(array, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayUnaccessData(nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayDestroy(array), S_OK);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
}

// Windows' VariantClear frees a BSTR, releases an interface, destroys an
// array, and refuses a locked array with DISP_E_ARRAYISLOCKED.
TEST(Variant, ClearReleasesWhatItOwns) {
    CountedUnknown unknown;
    unknown.AddRef();
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_UNKNOWN;
    v.punkVal = &unknown;
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    EXPECT_EQ(unknown.refs, 1u);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(u"x");
    EXPECT_EQ(VariantClear(&v), S_OK);

    v.vt = VT_ARRAY | VT_UI1;
    v.parray = SafeArrayCreateVector(VT_UI1, 0, 3);
    void* data = nullptr;
    EXPECT_EQ(SafeArrayAccessData(v.parray, &data), S_OK);
    EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_UI1);
    EXPECT_EQ(SafeArrayUnaccessData(v.parray), S_OK);
    EXPECT_EQ(VariantClear(&v), S_OK);

    // A bare VT_ARRAY is a settings blob: destroyed, where Windows would
    // refuse it and leak the array.
    v.vt = VT_ARRAY;
    v.parray = SafeArrayCreateVector(VT_UI1, 0, 15);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    v.vt = 15;
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

}  // namespace
