// The process-wide registry state shared by the Reg* functions.
#pragma once

#include "hive_file.h"

#include <platform/registry.h>

#include <map>
#include <memory>
#include <mutex>
#include <set>

namespace vtplatform::registry {

// A change of one hive collected in memory and written at commit. It holds
// the hive's lock from the first key opened in it until it ends.
struct Transaction {
    enum class Phase { Active, Committed, RolledBack };

    DWORD timeout_ms;
    Phase phase = Phase::Active;
    std::unique_ptr<HiveLock> lock;  // null until the first key is opened
    std::string path;
    Key root;
    std::string loaded_text;  // the file as read, to skip a write that changes nothing
    bool changed = false;
};

}  // namespace vtplatform::registry

struct VtRegKey {
    vtplatform::registry::KeyPath path;
    bool deleted = false;
    // Null for a key of the hive file itself.
    std::shared_ptr<vtplatform::registry::Transaction> transaction;
};

namespace vtplatform::registry {

struct State {
    std::mutex mutex;
    HiveFile hive;
    std::set<VtRegKey*> handles;
    // Transaction handles as handed out; their keys share them.
    std::map<void*, std::shared_ptr<Transaction>> transactions;
    // What HKEY_CLASSES_ROOT stands for, when overridden.
    std::unique_ptr<VtRegKey> classes_root;
};

State& GlobalState();

// The hive a call works on: the process's copy of the file, or a
// transaction's own.
struct View {
    Key* root = nullptr;
    std::shared_ptr<Transaction> transaction;  // null for the file
};

// The open key a handle stands for; null for the hive's root itself.
LONG HandleKey(State& state, HKEY handle, const VtRegKey** open);

// With the state locked and the hive fresh: the key a handle names, or an
// error (ERROR_INVALID_HANDLE, ERROR_KEY_DELETED, ERROR_BADDB ...).
LONG ResolveKey(State& state, HKEY handle, Key** key, KeyPath* path, View* view);

// Splits a subkey argument; a null or empty subkey is the key itself.
// Windows refuses a leading backslash with ERROR_BAD_PATHNAME.
LONG ParseSubkey(LPCSTR subkey, KeyPath* parts);

// Registers a new open key.
LONG NewHandle(State& state, KeyPath path, std::shared_ptr<Transaction> transaction, PHKEY result);

// True when a transaction of this process holds the lock of the hive at path.
bool HiveHeldByTransaction(const State& state, const std::string& path);

// Copies a string value out with RegQueryValueEx's size rules.
LONG CopyValue(const std::string& value, DWORD* type, BYTE* data, DWORD* size);

// Runs query(state, key, path, view) on the key a handle names, with the state
// locked and the hive fresh.
template <typename Query>
LONG ReadKey(HKEY handle, Query query) {
    State& state = GlobalState();
    std::lock_guard guard(state.mutex);
    Key* key;
    KeyPath path;
    View view;
    if (LONG status = ResolveKey(state, handle, &key, &path, &view); status != ERROR_SUCCESS)
        return status;
    return query(state, *key, path, view);
}

}  // namespace vtplatform::registry
