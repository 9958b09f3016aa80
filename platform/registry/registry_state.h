// The process-wide registry state shared by the Reg* functions.
#pragma once

#include "hive_file.h"

#include <platform/registry.h>

#include <mutex>
#include <set>

struct VtRegKey {
    vtplatform::registry::KeyPath path;
    bool deleted = false;
};

namespace vtplatform::registry {

struct State {
    std::mutex mutex;
    HiveFile hive;
    std::set<VtRegKey*> handles;
};

State& GlobalState();

// With the state locked and the hive fresh: the key a handle names, or an
// error (ERROR_INVALID_HANDLE, ERROR_KEY_DELETED, ERROR_BADDB ...).
LONG ResolveKey(State& state, HKEY handle, Key** key, KeyPath* path);

}  // namespace vtplatform::registry
