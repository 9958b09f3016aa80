// The config file over arbitrary bytes: a config, or an error that names a
// line of the text (or none). Settings paths resolve into a folder that
// does not exist, so nothing outside is read.
#include "host/watch/config.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

const host::Provider kDyFi{"dyfi", 22, "DyFiView", "DyFi", "Vantrel.DyFiView", "Vantrel.DyFi"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace host::watch;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ConfigResult result =
        ParseConfig("/nonexistent-vantrel-fuzz/watch.conf", text,
                    [](std::string_view key) { return key == "dyfi" ? &kDyFi : nullptr; });
    const long lines = std::count(text.begin(), text.end(), '\n') + 1;
    if (!result.config &&
        (result.error.message.empty() || result.error.line < 0 || result.error.line > lines)) {
        std::abort();
    }
    return 0;
}
