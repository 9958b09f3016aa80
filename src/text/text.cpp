// Byte-level text operations; no platform calls here.
#include "text/text.h"

#include "text/text_internal.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace vantrel {

using detail::GuardAllocation;
using detail::IsContinuationByte;

namespace {

// First match of `sub` in `bytes` at or after `start` that begins on a
// character boundary; npos when none.
size_t FindFrom(std::string_view bytes, std::string_view sub, size_t start) {
    while (true) {
        size_t at = bytes.find(sub, start);
        if (at == std::string_view::npos || !IsContinuationByte(bytes[at])) {
            return at;
        }
        start = at + 1;
    }
}

bool IsTrimmedSpace(char c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

}  // namespace

Text::Text(const char* text) {
    if (text != nullptr) {
        GuardAllocation([&] { m_bytes.assign(text); });
    }
}

Text::Text(const char* text, int length) {
    if (length < 0) {
        ThrowHResult(E_INVALIDARG);
    }
    if (text != nullptr) {
        GuardAllocation([&] { m_bytes.assign(text, static_cast<size_t>(length)); });
    }
}

Text::Text(std::string_view text) {
    GuardAllocation([&] { m_bytes.assign(text); });
}

Text& Text::Assign(const char* text) {
    if (text == nullptr) {
        m_bytes.clear();
        return *this;
    }
    GuardAllocation([&] { m_bytes.assign(text); });
    return *this;
}

Text& Text::Append(const char* text) {
    if (text != nullptr) {
        GuardAllocation([&] { m_bytes.append(text); });
    }
    return *this;
}

Text& Text::Append(const Text& text) {
    GuardAllocation([&] { m_bytes.append(text.m_bytes); });
    return *this;
}

Text& Text::Append(const char* text, int length) {
    if (length < 0) {
        ThrowHResult(E_INVALIDARG);
    }
    if (text != nullptr) {
        GuardAllocation([&] { m_bytes.append(text, static_cast<size_t>(length)); });
    }
    return *this;
}

Text& Text::Append(char c) {
    GuardAllocation([&] { m_bytes.push_back(c); });
    return *this;
}

int Text::ReplaceAll(const char* old_text, const char* new_text) {
    if (old_text == nullptr || *old_text == '\0') {
        return 0;
    }
    std::string_view old_view(old_text);
    std::string_view new_view(new_text != nullptr ? new_text : "");

    // First pass counts, so the result is sized once.
    int count = 0;
    for (size_t at = FindFrom(m_bytes, old_view, 0); at != std::string_view::npos;
         at = FindFrom(m_bytes, old_view, at + old_view.size())) {
        ++count;
    }
    if (count == 0) {
        return 0;
    }

    // Second pass copies into a new buffer, scanning only the original, so
    // inserted text is never searched again.
    GuardAllocation([&] {
        std::string result;
        result.reserve(m_bytes.size() + static_cast<size_t>(count) * new_view.size());
        size_t done = 0;
        for (size_t at = FindFrom(m_bytes, old_view, 0); at != std::string_view::npos;
             at = FindFrom(m_bytes, old_view, done)) {
            result.append(m_bytes, done, at - done);
            result.append(new_view);
            done = at + old_view.size();
        }
        result.append(m_bytes, done);
        m_bytes.swap(result);
    });
    return count;
}

int Text::Find(const char* sub, int start) const {
    if (sub == nullptr || start < 0 || start > Length()) {
        return -1;
    }
    if (*sub == '\0') {
        return start;
    }
    size_t at = FindFrom(m_bytes, sub, static_cast<size_t>(start));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

int Text::FindChar(char c, int start) const {
    if (start < 0 || start >= Length()) {
        return -1;
    }
    size_t at = FindFrom(m_bytes, std::string_view(&c, 1), static_cast<size_t>(start));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

Text Text::Left(int count) const {
    if (count <= 0) {
        return Text();
    }
    return Text(View().substr(0, static_cast<size_t>(count)));
}

Text Text::Mid(int first) const {
    return Mid(first, Length() - (first < 0 ? 0 : first));
}

Text Text::Mid(int first, int count) const {
    if (first < 0) {
        first = 0;
    }
    if (count <= 0 || first >= Length()) {
        return Text();
    }
    return Text(View().substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

void Text::Format(const char* format, ...) {
    if (format == nullptr) {
        ThrowHResult(E_INVALIDARG);
    }
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        va_end(args);
        ThrowHResult(E_INVALIDARG);
    }
    // Formatted into a fresh buffer: an argument may be this text's own bytes.
    std::string result;
    try {
        result.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        va_end(args);
        ThrowHResult(E_OUTOFMEMORY);
    }
    std::vsnprintf(result.data(), result.size() + 1, format, args);
    va_end(args);
    m_bytes.swap(result);
}

Text& Text::Trim() {
    // White space is ASCII, and ASCII bytes never occur inside a UTF-8
    // multi-byte character, so these cuts always fall between characters.
    size_t end = m_bytes.size();
    while (end > 0 && IsTrimmedSpace(m_bytes[end - 1])) {
        --end;
    }
    m_bytes.erase(end);
    size_t begin = 0;
    while (begin < m_bytes.size() && IsTrimmedSpace(m_bytes[begin])) {
        ++begin;
    }
    m_bytes.erase(0, begin);
    return *this;
}

}  // namespace vantrel
