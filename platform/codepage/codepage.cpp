// Code-page conversion. Both CP_ACP and CP_UTF8 are UTF-8 here; the decoder
// replaces each maximal ill-formed subsequence by one U+FFFD, as Windows
// (Vista and later) does without MB_ERR_INVALID_CHARS.
#include <platform/codepage.h>
#include <platform/module.h>

#include <string>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSupportedCodePage(UINT code_page) { return code_page == CP_ACP || code_page == CP_UTF8; }

// Decodes one character starting at text[*pos]; returns kReplacement and
// sets *invalid for ill-formed input. Ranges follow Unicode table 3-7.
char32_t DecodeUtf8(const unsigned char* text, size_t length, size_t* pos, bool* invalid) {
    unsigned char lead = text[*pos];
    ++*pos;
    if (lead < 0x80)
        return lead;
    int trail = 0;
    char32_t code = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trail = 1;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trail = 2;
        code = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trail = 3;
        code = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        *invalid = true;
        return kReplacement;
    }
    for (int i = 0; i < trail; ++i) {
        if (*pos >= length || text[*pos] < low || text[*pos] > high) {
            *invalid = true;
            return kReplacement;
        }
        code = (code << 6) | (text[*pos] & 0x3F);
        ++*pos;
        low = 0x80;
        high = 0xBF;
    }
    return code;
}

// Decodes one UTF-16 character; a lone surrogate becomes U+FFFD.
char32_t DecodeUtf16(const WCHAR* text, size_t length, size_t* pos, bool* invalid) {
    char32_t unit = text[*pos];
    ++*pos;
    if (unit < 0xD800 || unit > 0xDFFF)
        return unit;
    if (unit <= 0xDBFF && *pos < length && text[*pos] >= 0xDC00 && text[*pos] <= 0xDFFF) {
        char32_t low = text[*pos];
        ++*pos;
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    *invalid = true;
    return kReplacement;
}

void AppendUtf16(std::u16string& out, char32_t code) {
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
        return;
    }
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

template <typename Char>
size_t MeasureInput(const Char* text, int length) {
    if (length >= 0)
        return static_cast<size_t>(length);
    size_t n = 0;
    while (text[n] != 0)
        ++n;
    return n + 1;  // the NUL is converted and counted
}

// Hands the converted text to the caller the way both Windows functions do:
// a size query, a copy, or ERROR_INSUFFICIENT_BUFFER.
template <typename Char, typename String>
int Deliver(const String& converted, Char* out, int out_size) {
    if (converted.size() > 0x7FFFFFFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    int needed = static_cast<int>(converted.size());
    if (out_size == 0)
        return needed;
    if (needed > out_size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    converted.copy(out, converted.size());
    return needed;
}

}  // namespace

VT_EXTERN_C VT_PLATFORM_API int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text,
                                                    int length, WCHAR* out, int out_size) {
    if (!IsSupportedCodePage(code_page) || text == nullptr || length == 0 || length < -1 ||
        out_size < 0 || (out == nullptr && out_size != 0) ||
        (out != nullptr && static_cast<const void*>(out) == static_cast<const void*>(text))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((flags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t size = MeasureInput(text, length);
    std::u16string converted;
    converted.reserve(size);
    bool invalid = false;
    for (size_t pos = 0; pos < size;)
        AppendUtf16(converted, DecodeUtf8(bytes, size, &pos, &invalid));
    if (invalid && (flags & MB_ERR_INVALID_CHARS)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return Deliver(converted, out, out_size);
}

VT_EXTERN_C VT_PLATFORM_API int WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* text,
                                                    int length, LPSTR out, int out_size,
                                                    LPCSTR default_char, BOOL* used_default) {
    // Windows refuses a default character for UTF-8; the ANSI page is UTF-8
    // here too, so the same rule applies to both.
    if (!IsSupportedCodePage(code_page) || text == nullptr || length == 0 || length < -1 ||
        out_size < 0 || (out == nullptr && out_size != 0) || default_char != nullptr ||
        used_default != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if ((flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    size_t size = MeasureInput(text, length);
    std::string converted;
    converted.reserve(size * 3);
    bool invalid = false;
    for (size_t pos = 0; pos < size;)
        AppendUtf8(converted, DecodeUtf16(text, size, &pos, &invalid));
    if (invalid && (flags & WC_ERR_INVALID_CHARS)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return Deliver(converted, out, out_size);
}

VT_EXTERN_C VT_PLATFORM_API int lstrcmpiA(LPCSTR a, LPCSTR b) {
    if (a == nullptr || b == nullptr)
        return a == b ? 0 : (a == nullptr ? -1 : 1);
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    for (size_t i = 0;; ++i) {
        int x = fold(static_cast<unsigned char>(a[i]));
        int y = fold(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}
