// The GnuDIP pieces that touch no socket: the digest and meta tags. The
// line buffer, verdicts and salts are judged on the wire (exchange_test).
#include "providers/gnudip/gnudip_digest.h"
#include "providers/gnudip/gnudip_protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel::gnudip {
namespace {

// The wire tests digest "s3cret!"; an empty password is digested too.
TEST(GnuDipDigest, SaltedMd5OfAnEmptyPassword) {
    CryptContext context;
    ASSERT_TRUE(context.Acquire());
    Text digest;
    ASSERT_TRUE(SaltedDigest(context.Get(), "", "abcdefghij", digest));
    EXPECT_EQ(digest.View(), "4249ca8d15616049f303ed3a76075932");
}

TEST(GnuDipDigest, FailuresLeaveTheOutputAlone) {
    Text digest("unchanged");
    EXPECT_FALSE(Md5Hex(0, reinterpret_cast<const BYTE*>("x"), 1, digest));
    EXPECT_EQ(digest.View(), "unchanged");

    const BYTE bytes[] = {0x0F, 0xA0};
    char out[5] = {'#', '#', '#', '#', '#'};
    DWORD written = 99;
    EXPECT_FALSE(HexEncode(bytes, 2, out, 4, &written));  // no room for the terminator
    EXPECT_FALSE(HexEncode(nullptr, 2, out, 5, &written));
    EXPECT_FALSE(HexEncode(bytes, 2, nullptr, 5, &written));
    EXPECT_EQ(written, 99u);
    ASSERT_TRUE(HexEncode(bytes, 2, out, 5, &written));
    EXPECT_EQ(written, 4u);
    EXPECT_EQ(std::string(out, 4), "0FA0");
}

// Pages the HTTP exchanges do not show; the fuzzer checks a value always
// lies within its tag.
TEST(ExtractMetaContent, TakesAValueOnlyWithinItsTag) {
    using namespace std::string_literals;
    const struct {
        const char* name;
        std::string page;
        std::optional<std::string> value;
    } cases[] = {
        {"empty", R"(<meta name="salt" content="">)", ""},
        {"first of two", R"(name="salt" content="a"> name="salt" content="b">)", "a"},
        {"name in other case", R"(<meta NAME="salt" content="1">)", std::nullopt},
        {"no > at all", R"(name="salt" content="abc")", std::nullopt},
        {"no closing quote", R"(name="salt" content="abc>)", std::nullopt},
        {"prefix at the very end", R"(name="salt" content=")", std::nullopt},
        {"NUL in the value", "name=\"salt\" content=\"a\0b\">"s, "a\0b"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<std::string_view> value = ExtractMetaContent(c.page, kSaltTag);
        ASSERT_EQ(value.has_value(), c.value.has_value());
        if (value) {
            EXPECT_EQ(*value, *c.value);
        }
    }
}

}  // namespace
}  // namespace vantrel::gnudip
