// Reads arbitrary bytes as a settings blob in every provider's layout.
#include "contract/blob.h"
#include "providers/layouts.h"

#include <platform/com.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

using vantrel::BlobKind;
using vantrel::BlobReader;

void CheckText(const vantrel::Text& text, vantrel::TextLimit limit) {
    if ((limit == vantrel::TextLimit::EditControl && text.Length() > BlobReader::kMaxTextLength) ||
        text.CStr()[text.Length()] != '\0') {
        __builtin_trap();
    }
}

void Read(BlobReader& reader, const vantrel::BlobField& field) {
    switch (field.kind) {
        case BlobKind::CountedText:
            if (auto text = reader.CountedText())
                CheckText(*text, field.limit);
            break;
        case BlobKind::BareText:
            if (auto text = reader.BareText(field.limit))
                CheckText(*text, field.limit);
            break;
        case BlobKind::Integer:
            reader.Integer();
            break;
        case BlobKind::ShortInteger:
            reader.ShortInteger();
            break;
        case BlobKind::Flag:
            reader.Flag();
            break;
        case BlobKind::CountedTextList:
            for (const vantrel::Text& text : reader.CountedTextList())
                CheckText(text, field.limit);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SAFEARRAYBOUND bound = {static_cast<ULONG>(size), 0};
    SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
    if (array == nullptr) {
        return 0;
    }
    void* bytes = nullptr;
    if (size > 0 && SUCCEEDED(SafeArrayAccessData(array, &bytes))) {
        std::memcpy(bytes, data, size);
        SafeArrayUnaccessData(array);
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_ARRAY;
    value.parray = array;
    for (LONG id = VANTREL_ID_DYNAM; id <= VANTREL_ID_DYFI; ++id) {
        BlobReader reader(value);
        size_t remaining = reader.Remaining();
        for (const vantrel::BlobField& field : vantrel::LayoutOf(id)) {
            Read(reader, field);
            if (reader.Remaining() > remaining) {
                __builtin_trap();
            }
            remaining = reader.Remaining();
        }
    }
    SafeArrayDestroy(array);
    return 0;
}
