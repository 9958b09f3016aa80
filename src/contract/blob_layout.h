// A provider's settings blob as a table of fields in blob order: the one
// statement of its layout, which the view writes and reads, the updater
// reads, and hosts check and annotate. Plain data with no module types, so
// a host can compile a provider's table as it is.
#pragma once

#include <cstdint>
#include <span>

namespace vantrel {

// How a field is stored (little-endian, no padding between fields):
//   CountedText      int32 L = length + 1, the bytes, a NUL
//   BareText         int32 L = length, the bytes
//   Integer          int32
//   ShortInteger     uint16
//   Flag             int32, 1 when set and 0 when not
//   CountedTextList  int32 N, then N counted texts
enum class BlobKind : uint8_t {
    CountedText,
    BareText,
    Integer,
    ShortInteger,
    Flag,
    CountedTextList
};

// How long a text read from a blob may be: what a page's edit control
// holds (255 bytes), or whole for settings no edit control limits.
enum class TextLimit : uint8_t { EditControl, None };

struct BlobField {
    const char* name;
    BlobKind kind;
    TextLimit limit = TextLimit::EditControl;
};

using BlobLayout = std::span<const BlobField>;

}  // namespace vantrel
