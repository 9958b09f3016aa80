#include "contract/blob.h"

#include "text/error.h"

#include <cstring>
#include <new>

namespace vantrel {

namespace {

// What a page writes on a first GetData; larger blobs grow the vector.
constexpr size_t kInitialWorkArea = 1024;

int32_t LoadInt32(std::span<const BYTE> bytes) {
    uint32_t value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                     static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(value);
}

bool IsContinuationByte(BYTE b) {
    return b >= 0x80 && b <= 0xBF;
}

}  // namespace

BlobWriter::BlobWriter() {
    try {
        m_bytes.reserve(kInitialWorkArea);
    } catch (const std::bad_alloc&) {
        m_failed = true;
    }
}

void BlobWriter::Append(const void* bytes, size_t count) {
    if (m_failed || count == 0) {
        return;
    }
    const BYTE* first = static_cast<const BYTE*>(bytes);
    try {
        m_bytes.insert(m_bytes.end(), first, first + count);
    } catch (const std::bad_alloc&) {
        m_failed = true;
    }
}

void BlobWriter::Integer(int32_t value) {
    auto bits = static_cast<uint32_t>(value);
    const BYTE bytes[4] = {static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8),
                           static_cast<BYTE>(bits >> 16), static_cast<BYTE>(bits >> 24)};
    Append(bytes, sizeof bytes);
}

void BlobWriter::ShortInteger(uint16_t value) {
    const BYTE bytes[2] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8)};
    Append(bytes, sizeof bytes);
}

void BlobWriter::Flag(bool set) {
    Integer(set ? 1 : 0);
}

void BlobWriter::CountedText(std::string_view text) {
    Integer(static_cast<int32_t>(text.size() + 1));
    Append(text.data(), text.size());
    const BYTE nul = 0;
    Append(&nul, 1);
}

void BlobWriter::BareText(std::string_view text) {
    Integer(static_cast<int32_t>(text.size()));
    Append(text.data(), text.size());
}

void BlobWriter::CountedTextList(std::span<const Text> texts) {
    Integer(static_cast<int32_t>(texts.size()));
    for (const Text& text : texts) {
        CountedText(text.View());
    }
}

void BlobWriter::CountedTextList(const TextList& texts) {
    Integer(texts.Count());
    for (int i = 0; i < texts.Count(); ++i) {
        CountedText(texts.At(i).View());
    }
}

HRESULT BlobWriter::ToVariant(VARIANT* result) const {
    if (result == nullptr) {
        return E_FAIL;
    }
    if (m_failed) {
        return S_OK;
    }
    SAFEARRAYBOUND bound = {static_cast<ULONG>(m_bytes.size()), 0};
    SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
    if (array == nullptr) {
        return E_FAIL;
    }
    if (!m_bytes.empty()) {
        void* data = nullptr;
        if (FAILED(SafeArrayAccessData(array, &data)) || data == nullptr) {
            SafeArrayDestroy(array);
            return E_FAIL;
        }
        std::memcpy(data, m_bytes.data(), m_bytes.size());
        SafeArrayUnaccessData(array);
    }
    VariantInit(result);
    result->vt = VT_ARRAY;
    result->parray = array;
    return S_OK;
}

BlobReader::BlobReader(const VARIANT& value) {
    // Exactly VT_ARRAY: 0x2011 (VT_ARRAY | VT_UI1) is not a blob.
    if (value.vt != VT_ARRAY || value.parray == nullptr || value.parray->cDims != 1) {
        return;
    }
    SAFEARRAY* array = value.parray;
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) {
        return;
    }
    if (data == nullptr) {
        SafeArrayUnaccessData(array);
        return;
    }
    m_array = array;
    m_data = static_cast<const BYTE*>(data);
    m_size = static_cast<size_t>(array->rgsabound[0].cElements) * array->cbElements;
}

BlobReader::~BlobReader() {
    if (m_array != nullptr) {
        SafeArrayUnaccessData(m_array);
    }
}

std::optional<std::span<const BYTE>> BlobReader::Take(size_t count) {
    if (count > Remaining()) {
        // Cut short: nothing after this point is read.
        m_offset = m_size;
        return std::nullopt;
    }
    std::span<const BYTE> bytes(m_data + m_offset, count);
    m_offset += count;
    return bytes;
}

std::optional<int32_t> BlobReader::Integer() {
    auto bytes = Take(4);
    if (!bytes) {
        return std::nullopt;
    }
    return LoadInt32(*bytes);
}

std::optional<uint16_t> BlobReader::ShortInteger() {
    auto bytes = Take(2);
    if (!bytes) {
        return std::nullopt;
    }
    return static_cast<uint16_t>((*bytes)[0] | (*bytes)[1] << 8);
}

std::optional<bool> BlobReader::Flag() {
    auto value = Integer();
    if (!value) {
        return std::nullopt;
    }
    return *value == 1;
}

std::optional<Text> BlobReader::TextOfLength(int32_t length, TextLimit limit) {
    if (length < 0) {
        m_offset = m_size;
        return std::nullopt;
    }
    auto bytes = Take(static_cast<size_t>(length));
    if (!bytes) {
        return std::nullopt;
    }
    std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    // A counted text's final NUL is its terminator; any NUL ends the text.
    text = text.substr(0, text.find('\0'));
    if (limit == TextLimit::EditControl && text.size() > static_cast<size_t>(kMaxTextLength)) {
        size_t cut = kMaxTextLength;
        while (cut > 0 && IsContinuationByte(static_cast<BYTE>(text[cut]))) {
            --cut;
        }
        text = text.substr(0, cut);
    }
    return Text(text);
}

std::optional<Text> BlobReader::CountedText() {
    auto length = Integer();
    if (!length) {
        return std::nullopt;
    }
    return TextOfLength(*length, TextLimit::EditControl);
}

std::optional<Text> BlobReader::BareText(TextLimit limit) {
    auto length = Integer();
    if (!length) {
        return std::nullopt;
    }
    return TextOfLength(*length, limit);
}

std::vector<Text> BlobReader::CountedTextList() {
    std::vector<Text> texts;
    auto count = Integer();
    if (!count) {
        return texts;
    }
    // Each entry takes at least 4 bytes, so a huge count ends with the data.
    for (int32_t i = 0; i < *count; ++i) {
        auto text = CountedText();
        if (!text) {
            break;
        }
        try {
            texts.push_back(std::move(*text));
        } catch (const std::bad_alloc&) {
            ThrowHResult(E_OUTOFMEMORY);
        }
    }
    return texts;
}

}  // namespace vantrel
