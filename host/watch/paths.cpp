#include "host/watch/paths.h"

#include <cstdlib>

namespace host::watch {

std::string DefaultStatePath() {
    if (const char* systemd = std::getenv("STATE_DIRECTORY"); systemd != nullptr && *systemd) {
        // systemd lists several folders with ':' when the unit names several.
        std::string first(systemd);
        return first.substr(0, first.find(':')) + "/state.json";
    }
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && *xdg == '/') {
        return std::string(xdg) + "/vantrel/watch-state.json";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.local/state/vantrel/watch-state.json";
}

}  // namespace host::watch
