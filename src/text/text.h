// The narrow text type: bytes in the ANSI code page (UTF-8 here) with a
// counted length and a NUL kept after the last byte. Value semantics.
// Positions and lengths are byte counts; searches and trims never split a
// multi-byte character. Failures raise HResultError (E_OUTOFMEMORY,
// E_INVALIDARG).
#pragma once

#include <platform/com.h>

#include <string>
#include <string_view>

namespace vantrel {

class Text {
public:
    Text() = default;
    Text(const char* text);  // NOLINT: a null pointer gives the empty text
    Text(const char* text, int length);
    Text(std::string_view text);  // NOLINT
    // Wide (BSTR) to narrow; a null argument gives the empty text.
    explicit Text(const WCHAR* wide);

    int Length() const { return static_cast<int>(m_bytes.size()); }
    bool IsEmpty() const { return m_bytes.empty(); }
    void Empty() { m_bytes.clear(); }
    const char* CStr() const { return m_bytes.c_str(); }
    std::string_view View() const { return m_bytes; }
    char operator[](int index) const { return m_bytes[static_cast<size_t>(index)]; }

    Text& Assign(const char* text);
    Text& Append(const char* text);  // a null text appends nothing
    Text& Append(const Text& text);
    Text& Append(const char* text, int length);
    Text& Append(char c);

    // Every occurrence, left to right, never re-scanning inserted text.
    // An empty old text replaces nothing. Returns the count.
    int ReplaceAll(const char* old_text, const char* new_text);
    // -1 when absent, when start is outside 0..Length(), or no match at or
    // after start. An empty sub-text is found at start.
    int Find(const char* sub, int start = 0) const;
    // -1 when start is outside 0..Length()-1 or the character is absent.
    int FindChar(char c, int start = 0) const;
    Text Left(int count) const;
    Text Mid(int first) const;
    Text Mid(int first, int count) const;
    // printf-style; a null format raises E_INVALIDARG.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Removes trailing, then leading, white space (space, 0x09 to 0x0D).
    Text& Trim();
    // 0 when equal ignoring case.
    int CompareNoCase(const char* other) const;
    // A new BSTR owned by the caller; E_OUTOFMEMORY when it cannot be made.
    BSTR ToBstr() const;

    friend bool operator==(const Text& a, const Text& b) { return a.m_bytes == b.m_bytes; }

private:
    std::string m_bytes;
};

// An ordered list of texts, capacity doubling from 1. An index outside the
// list is a programming error: a fatal fault with code 0xC000008C.
class TextList {
public:
    TextList() = default;
    TextList(const TextList&) = delete;
    TextList& operator=(const TextList&) = delete;
    ~TextList();

    void Add(const Text& text);
    int Count() const { return m_count; }
    int Capacity() const { return m_capacity; }
    Text& At(int index);
    const Text& At(int index) const;
    void RemoveAll();

private:
    Text* m_items = nullptr;
    int m_count = 0;
    int m_capacity = 0;
};

// Base64 option bits: leave out the = padding, or the CR LF line breaks.
enum Base64Options : unsigned {
    kBase64Default = 0,
    kBase64NoPadding = 1,
    kBase64NoLineBreaks = 2,
};

// Room to reserve for n bytes; includes a final line break the encoder never writes.
int Base64EncodedLength(int n, unsigned options);
// False (nothing written, length untouched) when an argument is absent or the
// room given is below Base64EncodedLength. No NUL is written.
bool Base64Encode(const BYTE* source, int n, char* destination, int* destination_length,
                  unsigned options);

}  // namespace vantrel
