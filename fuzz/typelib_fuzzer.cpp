// The type-library text a module carries: whatever parses has named
// methods and coclasses whose default interface it declares.
#include "com/com_internal.h"
#include "com/typelib_parse.h"

#include <platform/codepage.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

// The platform's own is hidden in its library; the braced form through
// the exported CLSIDFromString reads the same (no ProgID lookup for "{").
bool vtplatform::GuidFromNarrow(const std::string& text, GUID* guid) {
    if (text.empty() || text[0] != '{') {
        return false;
    }
    std::u16string wide(text.size() + 1, u'\0');
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                     wide.data(), static_cast<int>(text.size()));
    if (length <= 0) {
        return false;
    }
    wide.resize(static_cast<size_t>(length));
    return CLSIDFromString(wide.c_str(), guid) == S_OK;
}

using namespace vtplatform::typelib;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<Library> library =
        ParseTypeLibrary(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!library) {
        return 0;
    }
    for (const Interface& interface : library->interfaces) {
        for (const Method& method : interface.methods) {
            if (method.name.empty()) std::abort();
        }
    }
    for (const CoClass& coclass : library->coclasses) {
        bool declared = false;
        for (const Interface& interface : library->interfaces) {
            declared = declared || interface.name == coclass.default_interface;
        }
        if (!declared) std::abort();
    }
    return 0;
}
