// Conformance of the code-page functions with their Windows behaviour.
#include <platform/codepage.h>
#include <platform/module.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr DWORD kSentinelError = 0xDEADBEEF;

// Windows (Vista and later) replaces each maximal ill-formed subsequence by
// one U+FFFD and counts the NUL when the length is -1.
TEST(MultiByteToWideChar, ConvertsUtf8WithWindowsReplacementRules) {
    const struct {
        const char* name;
        std::string input;
        int length;               // -1: NUL-terminated
        std::u16string expected;  // with the NUL when length is -1
    } cases[] = {
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
        for (UINT code_page : {UINT{CP_ACP}, UINT{CP_UTF8}}) {
            SCOPED_TRACE(std::string(c.name) + " in code page " + std::to_string(code_page));
            SetLastError(kSentinelError);
            int size = static_cast<int>(c.expected.size());
            EXPECT_EQ(MultiByteToWideChar(code_page, 0, c.input.data(), c.length, nullptr, 0),
                      size);
            std::u16string out(16, 0xCCCC);
            ASSERT_EQ(MultiByteToWideChar(code_page, 0, c.input.data(), c.length, out.data(), 16),
                      size);
            EXPECT_EQ(out.substr(0, size), c.expected);
            EXPECT_EQ(out[size], 0xCCCC) << "wrote past the converted text";
            EXPECT_EQ(GetLastError(), kSentinelError) << "success leaves last-error alone";
        }
    }
}

// Windows returns 0 with the stated last-error for each of these.
TEST(MultiByteToWideChar, FailsWithWindowsErrorCodes) {
    WCHAR out[4];
    const struct {
        const char* name;
        UINT code_page;
        DWORD flags;
        const char* text;
        int length;
        WCHAR* out;
        DWORD error;
    } cases[] = {
        {"buffer too small", CP_UTF8, 0, "abcdef", -1, out, ERROR_INSUFFICIENT_BUFFER},
        {"zero length", CP_UTF8, 0, "abc", 0, out, ERROR_INVALID_PARAMETER},
        {"null text", CP_UTF8, 0, nullptr, -1, out, ERROR_INVALID_PARAMETER},
        {"null output with size", CP_UTF8, 0, "abc", -1, nullptr, ERROR_INVALID_PARAMETER},
        {"unknown code page", 1252, 0, "abc", -1, out, ERROR_INVALID_PARAMETER},
        {"unknown flag", CP_UTF8, 0x1, "abc", -1, out, ERROR_INVALID_FLAGS},
        {"strict and invalid", CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, out,
         ERROR_NO_UNICODE_TRANSLATION},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kSentinelError);
        EXPECT_EQ(MultiByteToWideChar(c.code_page, c.flags, c.text, c.length, c.out, 4), 0);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

// Windows writes U+FFFD (EF BF BD) for an unpaired surrogate.
TEST(WideCharToMultiByte, ConvertsUtf16ToUtf8) {
    const struct {
        const char* name;
        std::u16string input;
        int length;
        std::string expected;
    } cases[] = {
        {"ascii, terminated", u"abc", -1, std::string("abc", 4)},
        {"two and three bytes", u"\u00E9\u20AC", 2, "\xC3\xA9\xE2\x82\xAC"},
        {"surrogate pair", u"\U0001F600", 2, "\xF0\x9F\x98\x80"},
        {"lone high surrogate", std::u16string(1, char16_t(0xD800)) + u"x", 2, "\xEF\xBF\xBDx"},
        {"lone low surrogate", std::u16string(1, char16_t(0xDC00)), 1, "\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kSentinelError);
        int size = static_cast<int>(c.expected.size());
        EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, c.input.data(), c.length, nullptr, 0, nullptr,
                                      nullptr),
                  size);
        std::string out(16, '#');
        ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, c.input.data(), c.length, out.data(), 16,
                                      nullptr, nullptr),
                  size);
        EXPECT_EQ(out.substr(0, size), c.expected);
        EXPECT_EQ(out[size], '#');
        EXPECT_EQ(GetLastError(), kSentinelError);
    }
}

// Windows refuses a default character or used-default flag for UTF-8.
TEST(WideCharToMultiByte, FailsWithWindowsErrorCodes) {
    char out[4];
    BOOL used = 7;
    const struct {
        const char* name;
        DWORD flags;
        const WCHAR* text;
        LPCSTR default_char;
        BOOL* used_default;
        DWORD error;
    } cases[] = {
        {"buffer too small", 0, u"\u20AC\u20AC", nullptr, nullptr, ERROR_INSUFFICIENT_BUFFER},
        {"default char", 0, u"a", "?", nullptr, ERROR_INVALID_PARAMETER},
        {"used default", 0, u"a", nullptr, &used, ERROR_INVALID_PARAMETER},
        {"null text", 0, nullptr, nullptr, nullptr, ERROR_INVALID_PARAMETER},
        {"unknown flag", 0x400, u"a", nullptr, nullptr, ERROR_INVALID_FLAGS},
        {"strict and invalid", WC_ERR_INVALID_CHARS, u"\xD800", nullptr, nullptr,
         ERROR_NO_UNICODE_TRANSLATION},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetLastError(kSentinelError);
        EXPECT_EQ(WideCharToMultiByte(CP_UTF8, c.flags, c.text, -1, out, 4, c.default_char,
                                      c.used_default),
                  0);
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(used, 7) << "a refused call leaves the flag alone";
}

// lstrcmpi returns the sign of the comparison and folds ASCII letters only.
TEST(Codepage, CompareLikeWindows) {
    const struct {
        const char* a;
        const char* b;
        int expected;
    } compares[] = {{"HKEY", "hkey", 0}, {"abc", "ABD", -1},    {"abd", "ABC", 1},
                    {"ab", "abc", -1},   {nullptr, "a", -1},    {"a", nullptr, 1},
                    {nullptr, nullptr, 0}, {"\xC3\xA9", "\xC3\xA9", 0}};
    for (const auto& c : compares) {
        EXPECT_EQ(lstrcmpiA(c.a, c.b), c.expected)
            << (c.a ? c.a : "(null)") << " vs " << (c.b ? c.b : "(null)");
    }
}

}  // namespace
