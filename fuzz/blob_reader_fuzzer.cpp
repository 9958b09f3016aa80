// Reads arbitrary bytes as a settings blob in every provider's field order.
#include "contract/blob.h"

#include <platform/com.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

using vantrel::BlobReader;

enum class Field { kCounted, kBare, kInteger, kShort, kFlag, kList };

struct Layout {
    Field fields[9];
    int count;
};

using enum Field;
const Layout kLayouts[] = {
    {{kList, kCounted}, 2},                   // DipDNS
    {{kCounted, kCounted, kCounted}, 3},      // DnsExit, Dynam, LinuxRC
    {{kList, kCounted, kCounted, kFlag}, 4},  // DyFi
    {{kCounted, kCounted}, 2},                // Dynup
    {{kList, kCounted, kCounted}, 3},         // EuroDynDns
    {{kCounted, kCounted, kCounted, kInteger, kInteger, kBare, kShort, kBare}, 8},  // GnuDIP2
    {{kBare, kBare, kInteger, kBare, kBare, kBare, kInteger}, 7},  // Windows DNS server
};

void CheckText(const vantrel::Text& text) {
    if (text.Length() > BlobReader::kMaxTextLength || text.CStr()[text.Length()] != '\0') {
        __builtin_trap();
    }
}

void Read(BlobReader& reader, Field field) {
    switch (field) {
        case kCounted:
            if (auto text = reader.CountedText())
                CheckText(*text);
            break;
        case kBare:
            if (auto text = reader.BareText())
                CheckText(*text);
            break;
        case kInteger:
            reader.Integer();
            break;
        case kShort:
            reader.ShortInteger();
            break;
        case kFlag:
            reader.Flag();
            break;
        case kList:
            for (const vantrel::Text& text : reader.CountedTextList())
                CheckText(text);
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
    for (const Layout& layout : kLayouts) {
        BlobReader reader(value);
        size_t remaining = reader.Remaining();
        for (int i = 0; i < layout.count; ++i) {
            Read(reader, layout.fields[i]);
            if (reader.Remaining() > remaining) {
                __builtin_trap();
            }
            remaining = reader.Remaining();
        }
    }
    SafeArrayDestroy(array);
    return 0;
}
