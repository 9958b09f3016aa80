// The hive's text form: whatever parses formats within the size bound and
// reads back to the same text.
#include "hive.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace vtplatform::registry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::optional<Key> parsed = ParseHive(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed) {
        return 0;
    }
    std::optional<std::string> text = FormatHive(*parsed);
    if (!text) {
        return 0;  // over the size bound: refused, not a fault
    }
    std::optional<Key> again = ParseHive(*text);
    if (!again) {
        std::abort();
    }
    std::optional<std::string> text_again = FormatHive(*again);
    if (!text_again || *text_again != *text) {
        std::abort();
    }
    return 0;
}
