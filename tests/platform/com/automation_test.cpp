// GUIDs, BSTRs, SAFEARRAYs and VARIANTs with their Windows behaviour.
#include <gtest/gtest.h>
#include <platform/com.h>

#include <cstring>
#include <string>

namespace {

const GUID kSample = {0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

// StringFromGUID2 writes upper case with braces and returns 39 (the NUL
// counted), or 0 without touching a buffer shorter than 39.
// CLSIDFromString reads the braced form in either case, gives CLSID_NULL
// for a null text, and CO_E_CLASSSTRING with CLSID_NULL for anything else.
TEST(Guid, FormatsAndParsesTheBracedForm) {
    OLECHAR buffer[40];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(StringFromGUID2(kSample, buffer, 38), 0);
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_EQ(StringFromGUID2(kSample, buffer, 40), 39);
    EXPECT_EQ(std::u16string(buffer), u"{12345678-9ABC-DEF0-0123-456789ABCDEF}");
    EXPECT_EQ(buffer[39], u'#');
    const struct {
        const char16_t* text;
        HRESULT hr;
        GUID expected;
    } cases[] = {
        {u"{12345678-9abc-def0-0123-456789abcdef}", S_OK, kSample},
        {nullptr, S_OK, IID_NULL},
        {u"12345678-9ABC-DEF0-0123-456789ABCDEF", CO_E_CLASSSTRING, IID_NULL},
        {u"{12345678-9ABC-DEF0-0123-456789ABCDEF", CO_E_CLASSSTRING, IID_NULL},
        {u"{12345678-9ABC-DEF0-0123-456789ABCDEF}x", CO_E_CLASSSTRING, IID_NULL},
        {u"{1234567G-9ABC-DEF0-0123-456789ABCDEF}", CO_E_CLASSSTRING, IID_NULL},
        {u"{12345678-9ABC-DEF0-01234-56789ABCDEF}", CO_E_CLASSSTRING, IID_NULL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        CLSID clsid;
        std::memset(&clsid, 0xCC, sizeof clsid);
        EXPECT_EQ(CLSIDFromString(c.text, &clsid), c.hr);
        EXPECT_TRUE(IsEqualGUID(clsid, c.expected));
    }
}

// A BSTR carries its byte count in the four bytes before the pointer and a
// NUL character after the text. SysAllocString(NULL) is NULL, a NULL BSTR
// has length 0 and freeing it does nothing.
TEST(Bstr, LayoutIsLengthPrefixedAndTerminated) {
    const std::pair<BSTR, UINT> cases[] = {
        {SysAllocString(u"hello"), 10},
        {SysAllocStringLen(u"a\0b", 3), 6},
        {SysAllocStringLen(u"abcdef", 3), 6},
        {SysAllocStringLen(nullptr, 4), 8},
    };
    for (const auto& [text, bytes] : cases) {
        SCOPED_TRACE(bytes);
        ASSERT_NE(text, nullptr);
        uint32_t prefix;
        std::memcpy(&prefix, reinterpret_cast<char*>(text) - 4, 4);
        EXPECT_EQ(prefix, bytes);
        EXPECT_EQ(SysStringLen(text), bytes / 2);
        EXPECT_EQ(text[bytes / 2], u'\0');
        SysFreeString(text);
    }
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocStringLen(u"", 0x7FFFFFFFu), nullptr) << "a length too large fails";
}

// Windows gives each VARTYPE its element size and refuses types a
// SAFEARRAY cannot hold; more than one dimension is refused here.
TEST(SafeArray, CreateSetsElementSizeAndBounds) {
    const struct {
        VARTYPE vt;
        ULONG size;  // 0: creation fails
        USHORT feature;
    } cases[] = {
        {VT_UI1, 1, 0},
        {VT_EMPTY, 0, 0},
        {VT_ARRAY | VT_UI1, 0, 0},
        {VT_BSTR, sizeof(BSTR), FADF_BSTR},
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
        EXPECT_EQ(array->rgsabound[0].lLbound, -2);
        EXPECT_EQ(array->rgsabound[0].cElements, 5u);
        EXPECT_EQ(SafeArrayDestroy(array), S_OK);
    }
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    EXPECT_EQ(SafeArrayCreate(VT_UI1, 2, bounds), nullptr);
    EXPECT_EQ(SafeArrayCreate(VT_UI1, 1, nullptr), nullptr);
}

// AccessData locks (and nests); a locked array can be neither destroyed nor
// cleared from a VARIANT (DISP_E_ARRAYISLOCKED); unlocking an unlocked
// array is E_UNEXPECTED.
TEST(SafeArray, LockCountGuardsDestroyAndClear) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_ARRAY | VT_UI1;
    v.parray = SafeArrayCreateVector(VT_UI1, 0, 4);
    ASSERT_NE(v.parray, nullptr);
    void* data = nullptr;
    EXPECT_EQ(SafeArrayAccessData(v.parray, &data), S_OK);
    EXPECT_EQ(data, v.parray->pvData);
    EXPECT_EQ(SafeArrayAccessData(v.parray, &data), S_OK);
    EXPECT_EQ(SafeArrayDestroy(v.parray), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(v.parray), S_OK);
    EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(v.vt, VT_ARRAY | VT_UI1);
    EXPECT_EQ(SafeArrayUnaccessData(v.parray), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(v.parray), E_UNEXPECTED);
    EXPECT_EQ(SafeArrayAccessData(v.parray, nullptr), E_INVALIDARG);
    EXPECT_EQ(SafeArrayUnaccessData(nullptr), E_INVALIDARG);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(SafeArrayDestroy(nullptr), S_OK);
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

// VariantClear frees a BSTR and releases an interface. A bare VT_ARRAY is
// a settings blob: destroyed, where Windows would refuse it and leak it.
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
    v.vt = VT_ARRAY;
    v.parray = SafeArrayCreateVector(VT_UI1, 0, 15);
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
    v.vt = 15;
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

}  // namespace
