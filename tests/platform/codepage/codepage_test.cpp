// Conformance of the code-page functions with their Windows behaviour.
#include <platform/codepage.h>
#include <platform/module.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr DWORD kSentinelError = 0xDEADBEEF;
constexpr WCHAR kSentinelWide = 0xCCCC;

struct ToWideCase {
    const char* name;
    std::string input;
    int length;          // passed as is; -1 means NUL-terminated
    std::u16string expected;  // including the NUL when length is -1
};

// Windows (Vista and later) replaces each maximal ill-formed subsequence by
// one U+FFFD and counts the NUL when the length is -1.
TEST(MultiByteToWideChar, ConvertsUtf8WithWindowsReplacementRules) {
    const ToWideCase cases[] = {
        {"ascii, terminated", "abc", -1, std::u16string(u"abc") + u'\0'},
        {"ascii, counted", "abc", 2, u"ab"},
        {"two-byte", "\xC3\xA9", 2, u"\u00E9"},
        {"three-byte", "\xE2\x82\xAC", 3, u"\u20AC"},
        {"surrogate pair", "\xF0\x9F\x98\x80", 4, u"\U0001F600"},
        {"lone continuation", "a\x80z", 3, u"a\uFFFDz"},
        {"truncated three-byte", "\xE2\x82z", 3, u"\uFFFDz"},
        {"overlong", "\xC0\xAF", 2, u"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", 3, u"\uFFFD\uFFFD\uFFFD"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", 4, u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"embedded NUL counted", std::string("a\0b", 3), 3, std::u16string(u"a\0b", 3)},
    };
    for (const auto& c : cases) {
        for (UINT code_page : {static_cast<UINT>(CP_ACP), static_cast<UINT>(CP_UTF8)}) {
            SCOPED_TRACE(std::string(c.name) + " in code page " + std::to_string(code_page));
            SetLastError(kSentinelError);
            int needed = MultiByteToWideChar(code_page, 0, c.input.data(), c.length, nullptr, 0);
            EXPECT_EQ(needed, static_cast<int>(c.expected.size()));
            std::u16string out(16, kSentinelWide);
            int written = MultiByteToWideChar(code_page, 0, c.input.data(), c.length, out.data(),
                                              static_cast<int>(out.size()));
            ASSERT_EQ(written, static_cast<int>(c.expected.size()));
            EXPECT_EQ(out.substr(0, written), c.expected);
            EXPECT_EQ(out[written], kSentinelWide) << "wrote past the converted text";
            EXPECT_EQ(GetLastError(), kSentinelError) << "success leaves last-error alone";
        }
    }
}

// Windows fails with the stated last-error and returns 0 for each of these.
TEST(MultiByteToWideChar, FailsWithWindowsErrorCodes) {
    WCHAR out[4];
    struct Case {
        const char* name;
        UINT code_page;
        DWORD flags;
        const char* text;
        int length;
        WCHAR* out;
        int out_size;
        DWORD error;
    } cases[] = {
        {"buffer too small", CP_UTF8, 0, "abcdef", -1, out, 4, ERROR_INSUFFICIENT_BUFFER},
        {"zero length", CP_UTF8, 0, "abc", 0, out, 4, ERROR_INVALID_PARAMETER},
        {"null text", CP_UTF8, 0, nullptr, -1, out, 4, ERROR_INVALID_PARAMETER},
        {"null output with size", CP_UTF8, 0, "abc", -1, nullptr, 4, ERROR_INVALID_PARAMETER},
        {"unknown code page", 1252, 0, "abc", -1, out, 4, ERROR_INVALID_PARAMETER},
        {"unknown flag", CP_UTF8, 0x1, "abc", -1, out, 4, ERROR_INVALID_FLAGS},
        {"strict and invalid", CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, out, 4,
         ERROR_NO_UNICODE_TRANSLATION},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kSentinelError);
        EXPECT_EQ(MultiByteToWideChar(c.code_page, c.flags, c.text, c.length, c.out, c.out_size), 0);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

struct ToNarrowCase {
    const char* name;
    std::u16string input;
    int length;
    std::string expected;
};

// Windows writes U+FFFD (EF BF BD) for an unpaired surrogate.
TEST(WideCharToMultiByte, ConvertsUtf16ToUtf8) {
    const ToNarrowCase cases[] = {
        {"ascii, terminated", u"abc", -1, std::string("abc", 4)},
        {"two and three bytes", u"\u00E9\u20AC", 2, "\xC3\xA9\xE2\x82\xAC"},
        {"surrogate pair", u"\U0001F600", 2, "\xF0\x9F\x98\x80"},
        {"lone high surrogate", std::u16string(1, char16_t(0xD800)) + u"x", 2, "\xEF\xBF\xBDx"},
        {"lone low surrogate", std::u16string(1, char16_t(0xDC00)), 1, "\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kSentinelError);
        EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, c.input.data(), c.length, nullptr, 0, nullptr,
                                      nullptr),
                  static_cast<int>(c.expected.size()));
        std::string out(16, '#');
        int written = WideCharToMultiByte(CP_UTF8, 0, c.input.data(), c.length, out.data(),
                                          static_cast<int>(out.size()), nullptr, nullptr);
        ASSERT_EQ(written, static_cast<int>(c.expected.size()));
        EXPECT_EQ(out.substr(0, written), c.expected);
        EXPECT_EQ(out[written], '#');
        EXPECT_EQ(GetLastError(), kSentinelError);
    }
}

// Windows refuses a default character or used-default flag for UTF-8.
TEST(WideCharToMultiByte, FailsWithWindowsErrorCodes) {
    char out[4];
    BOOL used = 7;
    struct Case {
        const char* name;
        DWORD flags;
        const WCHAR* text;
        int out_size;
        LPCSTR default_char;
        BOOL* used_default;
        DWORD error;
    } cases[] = {
        {"buffer too small", 0, u"\u20AC\u20AC", 4, nullptr, nullptr, ERROR_INSUFFICIENT_BUFFER},
        {"default char", 0, u"a", 4, "?", nullptr, ERROR_INVALID_PARAMETER},
        {"used default", 0, u"a", 4, nullptr, &used, ERROR_INVALID_PARAMETER},
        {"null text", 0, nullptr, 4, nullptr, nullptr, ERROR_INVALID_PARAMETER},
        {"unknown flag", 0x400, u"a", 4, nullptr, nullptr, ERROR_INVALID_FLAGS},
        {"strict and invalid", WC_ERR_INVALID_CHARS, u"\xD800", 4, nullptr, nullptr,
         ERROR_NO_UNICODE_TRANSLATION},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kSentinelError);
        EXPECT_EQ(WideCharToMultiByte(CP_UTF8, c.flags, c.text, -1, out, c.out_size,
                                      c.default_char, c.used_default),
                  0);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(used, 7) << "a refused call leaves the flag alone";
}

// lstrcmpi returns the sign of the comparison; ASCII letters fold.
TEST(LstrcmpiA, ComparesIgnoringAsciiCase) {
    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"HKEY", "hkey", 0}, {"abc", "ABD", -1}, {"abd", "ABC", 1},  {"ab", "abc", -1},
        {"", "", 0},         {nullptr, "a", -1}, {"a", nullptr, 1},  {nullptr, nullptr, 0},
        {"\xC3\xA9", "\xC3\xA9", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a ? c.a : "(null)") + " vs " + (c.b ? c.b : "(null)"));
        EXPECT_EQ(lstrcmpiA(c.a, c.b), c.expected);
    }
}

// CharNext steps over whole characters and stays on the terminator.
TEST(CharNextA, StepsOverWholeCharacters) {
    struct Case {
        const char* text;
        int step;
    } cases[] = {
        {"a", 1},  {"\xC3\xA9z", 2}, {"\xE2\x82\xAC", 3}, {"\xF0\x9F\x98\x80", 4},
        {"", 0},   {"\xE2z", 1},     {"\xE2\x82", 2},     {"\x80z", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CharNextA(c.text), c.text + c.step);
    }
    for (int b = 0; b < 256; ++b)
        EXPECT_FALSE(IsDBCSLeadByte(static_cast<BYTE>(b))) << b;
}

}  // namespace
