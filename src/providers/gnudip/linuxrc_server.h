// The LinuxRC network's GnuDIP server, reached over the TCP form only.
// The one place to change when the server moves.
#pragma once

#include <cstdint>

namespace vantrel {

inline constexpr const char* kLinuxRcServerHost = "gnudip.linuxrc.net";
inline constexpr uint16_t kLinuxRcServerPort = 3495;

}  // namespace vantrel
