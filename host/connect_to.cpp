#include "host/connect_to.h"

#include <platform/winsock.h>

#include <charconv>
#include <string>

namespace host {

namespace {

// A port of 1 to 65535 in plain decimal.
bool ReadPort(std::string_view text, USHORT& port) {
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > 65535) {
        return false;
    }
    port = static_cast<USHORT>(value);
    return true;
}

}  // namespace

bool AddConnectTo(std::string_view text) {
    std::string_view parts[4];
    for (int i = 0; i < 3; ++i) {
        size_t colon = text.find(':');
        if (colon == std::string_view::npos) {
            return false;
        }
        parts[i] = text.substr(0, colon);
        text.remove_prefix(colon + 1);
    }
    parts[3] = text;
    USHORT port = 0;
    USHORT port2 = 0;
    if ((!parts[1].empty() && !ReadPort(parts[1], port)) || parts[3].find(':') != parts[3].npos ||
        (!parts[3].empty() && !ReadPort(parts[3], port2))) {
        return false;
    }
    return VtResolverAddConnectTo(std::string(parts[0]).c_str(), port,
                                  std::string(parts[2]).c_str(), port2) == 0;
}

}  // namespace host
