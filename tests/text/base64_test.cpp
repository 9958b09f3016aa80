#include "text/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel {
namespace {

// "MNO" repeated: each whole group encodes as "TU5P".
std::string Source(size_t n) {
    std::string bytes(n, ' ');
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<char>('M' + i % 3);
    }
    return bytes;
}

std::string Encode(const std::vector<BYTE>& source, unsigned options) {
    int n = static_cast<int>(source.size());
    std::string out(static_cast<size_t>(Base64EncodedLength(n, options)), '?');
    int length = static_cast<int>(out.size());
    static const BYTE kNone = 0;  // the encoder wants a source even for 0 bytes
    EXPECT_TRUE(Base64Encode(n > 0 ? source.data() : &kNone, n, out.data(), &length, options));
    out.resize(static_cast<size_t>(length));
    return out;
}

std::string Lines(int groups) {
    std::string out;
    for (int i = 0; i < groups; ++i) {
        out += (i > 0 && i % 19 == 0 ? "\r\n" : "") + std::string("TU5P");
    }
    return out;
}

TEST(Base64, EncodingsLineBreaksAndPadding) {
    const struct {
        std::string source;
        unsigned options;
        std::string expected;
    } cases[] = {
        {"", kBase64Default, ""},
        {"M", kBase64Default, "TQ=="},
        {"Ma", kBase64Default, "TWE="},
        {"Man", kBase64Default, "TWFu"},
        {"M", kBase64NoPadding, "TQ"},
        {"user:pass", kBase64NoLineBreaks, "dXNlcjpwYXNz"},
        {"\xFF\xFE\xFD", kBase64Default, "//79"},
        {Source(56), kBase64Default, Lines(18) + "TU4="},
        {Source(57), kBase64Default, Lines(19) + "\r\n"},
        {Source(58), kBase64Default, Lines(19) + "\r\nTQ=="},
        {Source(58), kBase64NoPadding, Lines(19) + "\r\nTQ"},
        {Source(57), kBase64NoLineBreaks, Lines(19)},
        {Source(114), kBase64Default, Lines(38) + "\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encode(std::vector<BYTE>(c.source.begin(), c.source.end()), c.options),
                  c.expected)
            << c.source.size() << " bytes, options " << c.options;
    }
}

TEST(Base64, ReservedLength) {
    const struct {
        int n;
        unsigned options;
        int expected;
    } cases[] = {
        {0, kBase64Default, 2},      {5, kBase64Default, 10},
        {5, kBase64NoLineBreaks, 8}, {1, kBase64NoPadding | kBase64NoLineBreaks, 4},
        {57, kBase64Default, 80},    {-1, kBase64Default, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Base64EncodedLength(c.n, c.options), c.expected) << c.n << "/" << c.options;
    }
}

TEST(Base64, RefusalsWriteNothingAndKeepTheLength) {
    const BYTE source[5] = {1, 2, 3, 4, 5};
    char out[16];
    struct Case {
        const BYTE* source;
        char* destination;
        int length;  // 9 is one short of the reserved 10
    };
    for (const auto& c :
         {Case{source, out, 9}, Case{nullptr, out, 16}, Case{source, nullptr, 16}}) {
        std::fill(std::begin(out), std::end(out), '?');
        int length = c.length;
        EXPECT_FALSE(Base64Encode(c.source, 5, c.destination, &length, kBase64Default));
        EXPECT_EQ(length, c.length);
        EXPECT_EQ(std::string(out, sizeof out), std::string(sizeof out, '?'));
    }
    EXPECT_FALSE(Base64Encode(source, 5, out, nullptr, kBase64Default));
}

}  // namespace
}  // namespace vantrel
