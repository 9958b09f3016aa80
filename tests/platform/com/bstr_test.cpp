// Conformance of BSTR allocation with its Windows layout and behaviour.
#include <platform/com.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

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

}  // namespace
