// The code-page functions with their Windows behaviour: only UTF-8, for
// CP_ACP as well; each case pre-fills the last error with a sentinel.
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
        std::string input;
        int length;               // -1: NUL-terminated
        std::u16string expected;  // with the NUL when length is -1
    } cases[] = {
        {"abc", -1, std::u16string(u"abc") + u'\0'},
        {"abc", 2, u"ab"},
        {"\xC3\xA9\xE2\x82\xAC", 5, u"\u00E9\u20AC"},
        {"\xF0\x9F\x98\x80", 4, u"\U0001F600"},
        {"a\x80z", 3, u"a\uFFFDz"},
        {"\xE2\x82z", 3, u"\uFFFDz"},
        {"\xC0\xAF", 2, u"\uFFFD\uFFFD"},
        {"\xED\xA0\x80", 3, u"\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", 4, u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {std::string("a\0b", 3), 3, std::u16string(u"a\0b", 3)},
    };
    for (const auto& c : cases) {
        for (UINT code_page : {UINT{CP_ACP}, UINT{CP_UTF8}}) {
            SCOPED_TRACE(c.input + " in code page " + std::to_string(code_page));
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

// Windows writes U+FFFD (EF BF BD) for an unpaired surrogate.
TEST(WideCharToMultiByte, ConvertsUtf16ToUtf8) {
    const struct {
        std::u16string input;
        int length;
        std::string expected;
    } cases[] = {
        {u"abc", -1, std::string("abc", 4)},
        {u"\u00E9\u20AC", 2, "\xC3\xA9\xE2\x82\xAC"},
        {u"\U0001F600", 2, "\xF0\x9F\x98\x80"},
        {std::u16string(1, char16_t(0xD800)) + u"x", 2, "\xEF\xBF\xBDx"},
        {std::u16string(1, char16_t(0xDC00)), 1, "\xEF\xBF\xBD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        SetLastError(kSentinelError);
        int size = static_cast<int>(c.expected.size());
        EXPECT_EQ(
            WideCharToMultiByte(CP_ACP, 0, c.input.data(), c.length, nullptr, 0, nullptr, nullptr),
            size);
        std::string out(16, '#');
        ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, c.input.data(), c.length, out.data(), 16, nullptr,
                                      nullptr),
                  size);
        EXPECT_EQ(out.substr(0, size), c.expected);
        EXPECT_EQ(out[size], '#');
        EXPECT_EQ(GetLastError(), kSentinelError);
    }
}

// Windows returns 0 with these last errors; it refuses a default character
// or used-default flag for UTF-8, and a refused call leaves the flag alone.
// Each call runs as its row is built, so it returns its own last error.
TEST(Codepage, RefusalsSetTheLastError) {
    WCHAR wide[4];
    char narrow[4];
    BOOL used = 7;
    const auto to_wide = [&](UINT code_page, DWORD flags, const char* text, int length,
                             WCHAR* out) {
        SetLastError(kSentinelError);
        int result = MultiByteToWideChar(code_page, flags, text, length, out, 4);
        return std::pair<int, DWORD>{result, GetLastError()};
    };
    const auto to_narrow = [&](DWORD flags, const WCHAR* text, LPCSTR default_char,
                               BOOL* used_default) {
        SetLastError(kSentinelError);
        int result =
            WideCharToMultiByte(CP_UTF8, flags, text, -1, narrow, 4, default_char, used_default);
        return std::pair<int, DWORD>{result, GetLastError()};
    };
    const struct {
        const char* name;
        std::pair<int, DWORD> outcome;
        DWORD error;
    } cases[] = {
        {"buffer too small", to_wide(CP_UTF8, 0, "abcdef", -1, wide), ERROR_INSUFFICIENT_BUFFER},
        {"zero length", to_wide(CP_UTF8, 0, "abc", 0, wide), ERROR_INVALID_PARAMETER},
        {"null text", to_wide(CP_UTF8, 0, nullptr, -1, wide), ERROR_INVALID_PARAMETER},
        {"null output", to_wide(CP_UTF8, 0, "abc", -1, nullptr), ERROR_INVALID_PARAMETER},
        {"code page 1252", to_wide(1252, 0, "abc", -1, wide), ERROR_INVALID_PARAMETER},
        {"unknown flag", to_wide(CP_UTF8, 0x1, "abc", -1, wide), ERROR_INVALID_FLAGS},
        {"strict and invalid", to_wide(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xFF", 2, wide),
         ERROR_NO_UNICODE_TRANSLATION},
        {"narrow too small", to_narrow(0, u"\u20AC\u20AC", nullptr, nullptr),
         ERROR_INSUFFICIENT_BUFFER},
        {"default char", to_narrow(0, u"a", "?", nullptr), ERROR_INVALID_PARAMETER},
        {"used default", to_narrow(0, u"a", nullptr, &used), ERROR_INVALID_PARAMETER},
        {"null wide text", to_narrow(0, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER},
        {"unknown wide flag", to_narrow(0x400, u"a", nullptr, nullptr), ERROR_INVALID_FLAGS},
        {"strict lone surrogate", to_narrow(WC_ERR_INVALID_CHARS, u"\xD800", nullptr, nullptr),
         ERROR_NO_UNICODE_TRANSLATION},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.outcome.first, 0);
        EXPECT_EQ(c.outcome.second, c.error);
    }
    EXPECT_EQ(used, 7);
}

// lstrcmpi returns the sign of the comparison and folds ASCII letters only.
TEST(Codepage, CompareLikeWindows) {
    const struct {
        const char* a;
        const char* b;
        int expected;
    } compares[] = {{"HKEY", "hkey", 0}, {"abc", "ABD", -1}, {"ab", "abc", -1},
                    {nullptr, "a", -1},  {"a", nullptr, 1},  {"\xC3\xA9", "\xC3\x89", 1}};
    for (const auto& c : compares) {
        EXPECT_EQ(lstrcmpiA(c.a, c.b), c.expected)
            << (c.a ? c.a : "(null)") << " vs " << (c.b ? c.b : "(null)");
    }
}

}  // namespace
