// Text operations: the results callers rely on at the edges, the
// narrow/wide conversions through the platform's code page (UTF-8 narrow,
// UTF-16 wide), and Base64.
#include "text/text.h"
#include "text/error.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vantrel {
namespace {

TEST(Text, ReplaceAllNeverRescansInsertedText) {
    const struct {
        const char* text;
        const char* old_text;
        const char* new_text;
        const char* expected;
        int count;
    } cases[] = {
        {"aaa", "aa", "x", "xa", 1},
        {"#", "#", "##", "##", 1},
        {"abc", "", "y", "abc", 0},
        {"abc", nullptr, "y", "abc", 0},
        {"abab", "ab", nullptr, "", 2},
        // A match never starts on a continuation byte: "\xA9" is inside "\xC3\xA9".
        {"caf\xC3\xA9", "\xA9", "!", "caf\xC3\xA9", 0},
    };
    for (const auto& c : cases) {
        Text text(c.text);
        EXPECT_EQ(text.ReplaceAll(c.old_text, c.new_text), c.count) << c.text;
        EXPECT_EQ(text.View(), c.expected) << c.text;
        EXPECT_EQ(text.CStr()[text.Length()], '\0');
    }
}

// A one-byte sub-text row checks FindChar as well.
TEST(Text, FindAndFindCharBoundaries) {
    const Text text("hello");
    const struct {
        const char* sub;
        int start;
        int expected;
    } finds[] = {
        {"l", 0, 2},   {"l", 3, 3},      {"l", 4, -1},      {"o", 5, -1}, {"h", 1, -1}, {"", 5, 5},
        {"h", -1, -1}, {nullptr, 0, -1}, {"hello!", 0, -1}, {"L", 0, -1}, {"", 6, -1},
    };
    for (const auto& c : finds) {
        SCOPED_TRACE(std::string(c.sub ? c.sub : "(null)") + " from " + std::to_string(c.start));
        EXPECT_EQ(text.Find(c.sub, c.start), c.expected);
        if (c.sub != nullptr && std::strlen(c.sub) == 1) {
            EXPECT_EQ(text.FindChar(c.sub[0], c.start), c.expected);
        }
    }
    EXPECT_EQ(Text("").Find("", 0), 0);
    // A match never starts inside a character: euro sign, then two stray bytes.
    const Text euro("\xE2\x82\xAC\x82\xAC");
    EXPECT_EQ(euro.Find("\x82\xAC"), -1);
    EXPECT_EQ(euro.FindChar('\x82'), -1);
}

// Trim removes ASCII white space only: 0xA0 and 0x85 are parts of
// characters here, not space.
TEST(Text, LeftMidAndTrimCuts) {
    const Text ab("ab");
    const struct {
        Text result;
        const char* expected;
    } cases[] = {{ab.Left(-1), ""},
                 {ab.Left(1), "a"},
                 {ab.Left(99), "ab"},
                 {ab.Mid(3), ""},
                 {ab.Mid(1), "b"},
                 {ab.Mid(-4), "ab"},
                 {ab.Mid(1, 99), "b"},
                 {ab.Mid(-1, 1), "a"},
                 {ab.Mid(0, -1), ""},
                 {Text("\t\n\v\f\r x  \r\n").Trim(), "x"},
                 {Text("").Trim(), ""},
                 {Text("\x08x\x0E").Trim(), "\x08x\x0E"},
                 {Text(" \xC2\xA0\xC2\x85 ").Trim(), "\xC2\xA0\xC2\x85"}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.result.View(), c.expected) << &c - cases;
    }
}

TEST(Text, FormatMeasuresFirst) {
    Text text("old");
    text.Format("%s:%d", "host", 8080);
    EXPECT_EQ(text.View(), "host:8080");
    const std::string long_part(5000, 'x');
    text.Format("[%s]", long_part.c_str());
    EXPECT_EQ(text.Length(), 5002);
    // The text's own bytes may be an argument.
    Text self("abc");
    self.Format("%s%s", self.CStr(), self.CStr());
    EXPECT_EQ(self.View(), "abcabc");

    const char* no_format = nullptr;
    try {
        self.Format(no_format);
        FAIL() << "a null format must raise";
    } catch (const HResultError& error) {
        EXPECT_EQ(error.Code(), E_INVALIDARG);
    }
    EXPECT_EQ(self.View(), "abcabc");
}

TEST(TextList, CapacityDoublesFromOne) {
    TextList list;
    std::vector<int> capacities;
    for (int i = 0; i < 9; ++i) {
        list.Add(Text(std::to_string(i)));
        capacities.push_back(list.Capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{1, 2, 4, 4, 8, 8, 8, 8, 16}));
    EXPECT_EQ(list.At(8).View(), "8");
    list.RemoveAll();
    EXPECT_EQ(list.Count(), 0);
}

TEST(TextListDeathTest, BadIndexIsAFatalBoundsFault) {
    TextList list;
    list.Add(Text("only"));
    EXPECT_DEATH(list.At(1), "C000008C");
    const TextList& read_only = list;
    EXPECT_DEATH(read_only.At(-1), "C000008C");
}

// Narrow texts are UTF-8, wide ones UTF-16: a character outside the BMP
// takes two wide units.
TEST(TextConvert, RoundTripsThroughWide) {
    const char* narrow = "caf\xC3\xA9 \xF0\x9F\x98\x80";
    BSTR wide = Text(narrow).ToBstr();
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(SysStringLen(wide), 7u);
    EXPECT_EQ(Text(static_cast<const WCHAR*>(wide)).View(), narrow);
    SysFreeString(wide);
    EXPECT_TRUE(Text(static_cast<const WCHAR*>(nullptr)).IsEmpty());
}

std::string Encode(const std::string& source, unsigned options) {
    int n = static_cast<int>(source.size());
    std::string out(static_cast<size_t>(Base64EncodedLength(n, options)), '?');
    int length = static_cast<int>(out.size());
    static const BYTE kNone = 0;  // the encoder wants a source even for 0 bytes
    const auto* bytes = n > 0 ? reinterpret_cast<const BYTE*>(source.data()) : &kNone;
    EXPECT_TRUE(Base64Encode(bytes, n, out.data(), &length, options));
    out.resize(static_cast<size_t>(length));
    return out;
}

// Zero bytes encode as "AAAA" per group, 19 groups to a line.
std::string Lines(int groups) {
    std::string out;
    for (int i = 0; i < groups; ++i) {
        out += (i > 0 && i % 19 == 0 ? "\r\n" : "") + std::string("AAAA");
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
        {"\xFF\xFE\xFD", kBase64Default, "//79"},
        {std::string(57, '\0'), kBase64Default, Lines(19) + "\r\n"},
        {std::string(58, '\0'), kBase64Default, Lines(19) + "\r\nAA=="},
        {std::string(57, '\0'), kBase64NoLineBreaks, Lines(19)},
        {std::string(114, '\0'), kBase64Default, Lines(38) + "\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Encode(c.source, c.options), c.expected)
            << c.source.size() << " bytes, options " << c.options;
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
    EXPECT_EQ(Base64EncodedLength(-1, kBase64Default), -1);
}

}  // namespace
}  // namespace vantrel
