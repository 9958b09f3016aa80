// URL canonicalising, parsing and rebuilding over arbitrary text.
#include "http/url.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantrel::http;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string canonical;
    if (CanonicalizeUrl(text, kCanonicalUrlRoom, &canonical) && canonical.size() >= kCanonicalUrlRoom) {
        std::abort();
    }
    ParsedUrl url;
    if (!ParseUrl(text, &url)) {
        if (url.scheme != kSchemeUnknown || url.port != 0 || !url.host.empty()) {
            std::abort();  // a failed parse leaves a reset record
        }
        return 0;
    }
    if (url.host.size() > kMaxHostName || url.path.size() > kMaxPath ||
        url.extra.size() > kMaxExtra || url.scheme_name.size() > kMaxSchemeName) {
        std::abort();
    }
    std::string built;
    if (BuildUrl(url, kCanonicalUrlRoom, &built) && built.size() >= kCanonicalUrlRoom) {
        std::abort();
    }
    CheckRequestUrl(&url, 80);
    return 0;
}
