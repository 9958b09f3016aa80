// The state file over arbitrary bytes: refused with a reason, or read into
// a state that writes out and reads back the same.
#include "host/watch/state.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace host::watch;
    StateResult result = ParseState(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!result.state) {
        if (result.error.empty()) {
            std::abort();
        }
        return 0;
    }
    const std::string written = FormatState(*result.state);
    StateResult again = ParseState(written);
    if (!again.state || FormatState(*again.state) != written) {
        std::abort();
    }
    return 0;
}
