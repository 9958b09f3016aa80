// The first dotted IPv4 address in arbitrary text: what is found is in the
// text, and reads back as itself.
#include "host/watch/address_text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<std::string> found = host::watch::FirstIpv4(text);
    if (found && (text.find(*found) == std::string_view::npos || found->size() > 15 ||
                  host::watch::FirstIpv4(*found) != found)) {
        std::abort();
    }
    return 0;
}
