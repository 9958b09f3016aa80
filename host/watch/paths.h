// Where the watch keeps its state when --state is not given.
#pragma once

#include <string>

namespace host::watch {

// $STATE_DIRECTORY/state.json under systemd (StateDirectory=), else
// $XDG_STATE_HOME/vantrel/watch-state.json, else
// ~/.local/state/vantrel/watch-state.json.
std::string DefaultStatePath();

}  // namespace host::watch
