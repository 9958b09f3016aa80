// Narrow/wide conversions and the case-insensitive compare, through the
// platform's code page (UTF-8 narrow, UTF-16 wide).
#include "text/text.h"

#include <gtest/gtest.h>

#include <memory>

namespace vantrel {
namespace {

struct BstrDeleter {
    void operator()(OLECHAR* text) const { SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrDeleter>;

TEST(TextConvert, RoundTripsThroughWide) {
    struct Case {
        const char* narrow;
        UINT wide_length;
    };
    const Case cases[] = {{"", 0}, {"10.0.0.1", 8}, {"caf\xC3\xA9", 4}, {"\xF0\x9F\x98\x80", 2}};
    for (const Case& c : cases) {
        UniqueBstr wide(Text(c.narrow).ToBstr());
        ASSERT_NE(wide, nullptr);
        EXPECT_EQ(SysStringLen(wide.get()), c.wide_length);
        EXPECT_EQ(Text(static_cast<const WCHAR*>(wide.get())).View(), c.narrow);
    }
    EXPECT_TRUE(Text(static_cast<const WCHAR*>(nullptr)).IsEmpty());
}

TEST(TextConvert, CompareNoCaseFoldsAscii) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {{"Good", "gOOD", true},
                          {"good", "goods", false},
                          {"", nullptr, true},
                          {"nochg", "NOCHG ", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(Text(c.a).CompareNoCase(c.b) == 0, c.equal) << c.a;
    }
}

}  // namespace
}  // namespace vantrel
