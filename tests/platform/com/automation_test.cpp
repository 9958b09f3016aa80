// Conformance of GUIDs, BSTRs, SAFEARRAYs and VARIANTs with Windows.
#include <gtest/gtest.h>
#include <platform/com.h>

#include <cstring>
#include <string>

namespace {

const GUID kSample = {0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

// StringFromGUID2 writes upper case with braces and returns 39 (the NUL
// counted), or 0 without touching a buffer shorter than 39. The IIDs carry
// the values Windows gives them.
TEST(Guid, StringFromGuid2AndWindowsIids) {
    OLECHAR buffer[40];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(StringFromGUID2(kSample, buffer, 38), 0);
    EXPECT_EQ(buffer[0], u'#');
    const std::pair<GUID, const char16_t*> cases[] = {
        {kSample, u"{12345678-9ABC-DEF0-0123-456789ABCDEF}"},
        {IID_IUnknown, u"{00000000-0000-0000-C000-000000000046}"},
        {IID_IClassFactory, u"{00000001-0000-0000-C000-000000000046}"},
        {IID_IDispatch, u"{00020400-0000-0000-C000-000000000046}"},
    };
    for (const auto& [guid, text] : cases) {
        EXPECT_EQ(StringFromGUID2(guid, buffer, 40), 39);
        EXPECT_EQ(std::u16string(buffer), text);
        EXPECT_EQ(buffer[39], u'#');
    }
}

// CLSIDFromString accepts the braced form in either case, gives CLSID_NULL
// for a null text, and CO_E_CLASSSTRING with CLSID_NULL for anything else.
TEST(Guid, ClsidFromStringParsesOnlyTheBracedForm) {
    const struct {
        const char16_t* text;
        HRESULT hr;
        GUID expected;
    } cases[] = {
        {u"{12345678-9ABC-DEF0-0123-456789ABCDEF}", S_OK, kSample},
        {u"{12345678-9abc-def0-0123-456789abcdef}", S_OK, kSample},
        {nullptr, S_OK, IID_NULL},
        {u"12345678-9ABC-DEF0-0123-456789ABCDEF", CO_E_CLASSSTRING, IID_NULL},
        {u"{12345678-9ABC-DEF0-0123-456789ABCDEF", CO_E_CLASSSTRING, IID_NULL},
        {u"{12345678-9ABC-DEF0-0123-456789ABCDEF}x", CO_E_CLASSSTRING, IID_NULL},
        {u"{1234567G-9ABC-DEF0-0123-456789ABCDEF}", CO_E_CLASSSTRING, IID_NULL},
        {u"{12345678-9ABC-DEF0-01234-56789ABCDEF}", CO_E_CLASSSTRING, IID_NULL},
        {u"", CO_E_CLASSSTRING, IID_NULL},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        CLSID clsid;
        std::memset(&clsid, 0xCC, sizeof clsid);
        EXPECT_EQ(CLSIDFromString(cases[i].text, &clsid), cases[i].hr) << "row " << i;
        EXPECT_TRUE(IsEqualGUID(clsid, cases[i].expected)) << "row " << i;
    }
}

// A BSTR carries its byte count in the four bytes before the pointer and a
// NUL character after the text.
TEST(Bstr, LayoutIsLengthPrefixedAndTerminated) {
    const struct {
        const char* name;
        BSTR text;
        UINT bytes;
    } cases[] = {
        {"SysAllocString", SysAllocString(u"hello"), 10},
        {"SysAllocString empty", SysAllocString(u""), 0},
        {"SysAllocStringLen with embedded NUL", SysAllocStringLen(u"a\0b", 3), 6},
        {"SysAllocStringLen shorter than the text", SysAllocStringLen(u"abcdef", 3), 6},
        {"SysAllocStringLen null text", SysAllocStringLen(nullptr, 4), 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.text, nullptr);
        uint32_t prefix;
        std::memcpy(&prefix, reinterpret_cast<char*>(c.text) - 4, 4);
        EXPECT_EQ(prefix, c.bytes);
        EXPECT_EQ(SysStringByteLen(c.text), c.bytes);
        EXPECT_EQ(SysStringLen(c.text), c.bytes / 2);
        EXPECT_EQ(c.text[c.bytes / 2], u'\0');
        SysFreeString(c.text);
    }
    // Windows: SysAllocString(NULL) is NULL, a NULL BSTR has length 0 and
    // freeing it does nothing.
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocStringLen(u"", 0x7FFFFFFFu), nullptr) << "a length too large fails";
}

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
