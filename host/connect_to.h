// --connect-to for the host's own process: curl's HOST:PORT:HOST2:PORT2,
// entered in the platform resolver's override table.
#pragma once

#include <string_view>

namespace host {

// An empty HOST or PORT matches any host or port (`::127.0.0.1:4000` sends
// every connection there); an empty HOST2 or PORT2 keeps the original.
// False for any other form.
bool AddConnectTo(std::string_view text);

}  // namespace host
