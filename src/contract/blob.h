// The settings blob: a provider's fields concatenated with no header or
// padding, little-endian, carried as a one-dimensional VT_UI1 safe array in a
// VARIANT whose type is exactly VT_ARRAY.
//
//   counted text  int32 L = length + 1, the bytes, a NUL
//   bare text     int32 L = length, the bytes
//   integer       int32            short integer  uint16
//   flag          int32 1 or 0     text list      int32 N, N counted texts
//
// Writing:   BlobWriter w; w.CountedText(host); w.Integer(ttl); return w.ToVariant(result);
// Reading:   BlobReader r(value); if (auto t = r.CountedText()) m_host = *t;
#pragma once

#include "contract/blob_layout.h"
#include "text/text.h"

#include <platform/com.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace vantrel {

class BlobWriter {
public:
    BlobWriter();

    void CountedText(std::string_view text);
    void BareText(std::string_view text);
    void Integer(int32_t value);
    void ShortInteger(uint16_t value);
    void Flag(bool set);
    void CountedTextList(std::span<const Text> texts);
    void CountedTextList(const TextList& texts);

    // The work area grows as needed, so a long host list or long server
    // settings are written whole rather than cut at some fixed size.
    std::span<const BYTE> Bytes() const { return m_bytes; }

    // The result of a view's GetData: E_FAIL for a null result or when the
    // array cannot be made; S_OK with the result untouched when the work area
    // could not be allocated; otherwise S_OK and a VARIANT the caller clears.
    [[nodiscard]] HRESULT ToVariant(VARIANT* result) const;

private:
    void Append(const void* bytes, size_t count);

    std::vector<BYTE> m_bytes;
    bool m_failed = false;  // an allocation failed; the blob is not produced
};

// Reads the fields of a blob in order. A VARIANT that is not exactly
// VT_ARRAY, a null array or one that cannot be locked reads as having no
// fields. Reads never go past the array's bytes: a field cut short by the
// end of the blob gives nullopt and every later read does too, so fields
// after it keep the values they had.
//
// Texts end at their first NUL (they are the C strings a page wrote), and
// are cut to 255 bytes, the most a page's edit control holds, without
// splitting a character: a longer text is cut, never overflowed. Settings
// that no edit control limits (a server address or update URL kept by the
// view itself) are read whole with TextLimit::None, bounded by the blob.
// Out of memory raises HResultError(E_OUTOFMEMORY), as the text type does.

class BlobReader {
public:
    static constexpr int kMaxTextLength = 255;

    explicit BlobReader(const VARIANT& value);
    ~BlobReader();
    BlobReader(const BlobReader&) = delete;
    BlobReader& operator=(const BlobReader&) = delete;

    // True when a blob was found and its data is locked.
    bool IsBlob() const { return m_array != nullptr; }
    // Bytes not yet read.
    size_t Remaining() const { return m_size - m_offset; }

    std::optional<Text> CountedText();
    std::optional<Text> BareText(TextLimit limit = TextLimit::EditControl);
    std::optional<int32_t> Integer();
    std::optional<uint16_t> ShortInteger();
    // Set only when the stored integer is exactly 1.
    std::optional<bool> Flag();
    // The entries of a text list, in order; a count below 0 is an empty list.
    // A list cut short gives the entries read whole before the cut.
    std::vector<Text> CountedTextList();

private:
    std::optional<std::span<const BYTE>> Take(size_t count);
    std::optional<Text> TextOfLength(int32_t length, TextLimit limit);

    SAFEARRAY* m_array = nullptr;
    const BYTE* m_data = nullptr;
    size_t m_size = 0;
    size_t m_offset = 0;
};

}  // namespace vantrel
