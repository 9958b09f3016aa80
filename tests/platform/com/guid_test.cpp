// Conformance of the GUID functions and the platform's interface IDs.
#include <platform/com.h>

#include <gtest/gtest.h>

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

}  // namespace
