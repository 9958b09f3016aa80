// The nine providers as the host names them: short name, ID and the
// classes of either half.
#pragma once

#include <platform/com.h>

#include <string_view>

namespace host {

struct Provider {
    const char* short_name;
    LONG id;
    const char* view_class;
    const char* updater_class;
    const char* view_prog_id;
    const char* updater_prog_id;
};

// In the order `vantrel list` shows them.
extern const Provider kProviders[9];

// By short name (any case), provider ID, or the ProgID or class name of
// either half (versioned or not).
const Provider* FindProvider(std::string_view key);

}  // namespace host
