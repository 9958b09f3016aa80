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

// Copies a string value out with RegQueryValueEx's size rules.
LONG CopyValue(const std::string& value, DWORD* type, BYTE* data, DWORD* size);

// Runs query(state, key, path) on the key a handle names, with the state
// locked and the hive fresh.
template <typename Query>
LONG ReadKey(HKEY handle, Query query) {
    State& state = GlobalState();
    std::lock_guard guard(state.mutex);
    Key* key;
    KeyPath path;
    if (LONG status = ResolveKey(state, handle, &key, &path); status != ERROR_SUCCESS)
        return status;
    return query(state, *key, path);
}

}  // namespace vtplatform::registry
