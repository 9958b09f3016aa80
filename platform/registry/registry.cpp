// Reg* functions over the file-backed HKEY_CLASSES_ROOT.
#include "registry_state.h"

#include <cstring>

namespace vtplatform::registry {

State& GlobalState() {
    static State* state = new State;  // never destroyed: handles may outlive statics
    return *state;
}

LONG HandleKey(State& state, HKEY handle, const VtRegKey** open) {
    if (handle == HKEY_CLASSES_ROOT) {
        *open = state.classes_root.get();
        return ERROR_SUCCESS;
    }
    if (handle == nullptr || state.handles.count(handle) == 0)
        return ERROR_INVALID_HANDLE;
    *open = handle;
    return ERROR_SUCCESS;
}

LONG ResolveKey(State& state, HKEY handle, Key** key, KeyPath* path, View* view) {
    const VtRegKey* open = nullptr;
    if (LONG status = HandleKey(state, handle, &open); status != ERROR_SUCCESS)
        return status;
    if (open != nullptr && open->transaction) {
        if (open->transaction->phase != Transaction::Phase::Active)
            return ERROR_TRANSACTION_NOT_ACTIVE;
        view->transaction = open->transaction;
        view->root = &open->transaction->root;
    } else {
        if (LONG status = state.hive.Refresh(); status != ERROR_SUCCESS)
            return status;
        view->root = &state.hive.Root();
    }
    if (open != nullptr && open->deleted)
        return ERROR_KEY_DELETED;
    *path = open != nullptr ? open->path : KeyPath{};
    *key = Find(*view->root, *path);
    return *key != nullptr ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// The hive file holds one name or value per line.
bool HasLineBreak(LPCSTR text) {
    return text != nullptr && std::strpbrk(text, "\r\n") != nullptr;
}

LONG ParseSubkey(LPCSTR subkey, KeyPath* parts) {
    if (subkey == nullptr || *subkey == 0) {
        parts->clear();
        return ERROR_SUCCESS;
    }
    if (HasLineBreak(subkey))
        return ERROR_INVALID_PARAMETER;
    auto split = SplitPath(subkey);
    if (!split)
        return ERROR_BAD_PATHNAME;
    *parts = std::move(*split);
    return ERROR_SUCCESS;
}

LONG NewHandle(State& state, KeyPath path, std::shared_ptr<Transaction> transaction, PHKEY result) {
    auto* handle = new (std::nothrow) VtRegKey{std::move(path), false, std::move(transaction)};
    if (handle == nullptr)
        return ERROR_OUTOFMEMORY;
    state.handles.insert(handle);
    *result = handle;
    return ERROR_SUCCESS;
}

bool HiveHeldByTransaction(const State& state, const std::string& path) {
    for (const auto& [handle, transaction] : state.transactions) {
        if (transaction->lock && transaction->phase == Transaction::Phase::Active &&
            transaction->path == path)
            return true;
    }
    return false;
}

// Windows reports the size needed (the NUL counted) and ERROR_MORE_DATA
// when the buffer is short; a null buffer only asks for the size.
LONG CopyValue(const std::string& value, DWORD* type, BYTE* data, DWORD* size) {
    DWORD needed = static_cast<DWORD>(value.size() + 1);
    if (type != nullptr)
        *type = REG_SZ;
    if (data != nullptr && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr)
        std::memcpy(data, value.c_str(), needed);
    if (size != nullptr)
        *size = needed;
    return ERROR_SUCCESS;
}

}  // namespace vtplatform::registry

namespace {

using namespace vtplatform::registry;

std::string ValueName(LPCSTR name) {
    return name == nullptr ? std::string() : std::string(name);
}

// Open handles to a removed key or below it, in the same view, answer
// ERROR_KEY_DELETED.
void MarkDeleted(State& state, const KeyPath& removed, const View& view) {
    auto mark = [&](VtRegKey* handle) {
        if (handle->transaction != view.transaction || handle->path.size() < removed.size())
            return;
        bool below = true;
        for (size_t i = 0; i < removed.size() && below; ++i)
            below = NoCaseLess{}(handle->path[i], removed[i]) == false &&
                    NoCaseLess{}(removed[i], handle->path[i]) == false;
        if (below)
            handle->deleted = true;
    };
    for (VtRegKey* handle : state.handles)
        mark(handle);
    if (state.classes_root)
        mark(state.classes_root.get());
}

// Removes the last component of full from its parent (which exists).
void Unlink(State& state, const KeyPath& full, const View& view) {
    KeyPath parent_path(full.begin(), full.end() - 1);
    Find(*view.root, parent_path)->subkeys.erase(full.back());
    MarkDeleted(state, full, view);
}

// The key parts name below key, or null; path grows by parts.
Key* Descend(Key& key, KeyPath& path, const KeyPath& parts) {
    path.insert(path.end(), parts.begin(), parts.end());
    return Find(key, parts);
}

bool Transacted(State& state, HKEY handle) {
    const VtRegKey* open = nullptr;
    return HandleKey(state, handle, &open) == ERROR_SUCCESS && open != nullptr &&
           open->transaction != nullptr;
}

// Runs change(state, key, path, view, changed) on the key a handle names.
// A key of a transaction changes the transaction's copy only; any other
// change is made under the writers' lock on a fresh hive, which is written
// when the change says it made one.
template <typename Change>
LONG ModifyKey(HKEY handle, Change change) {
    State& state = GlobalState();
    std::lock_guard guard(state.mutex);
    std::unique_ptr<HiveLock> lock;
    if (!Transacted(state, handle)) {
        // Our own transaction holds the lock: waiting for it would never end.
        if (HiveHeldByTransaction(state, state.hive.Path()))
            return ERROR_TRANSACTIONAL_CONFLICT;
        if (LONG status = HiveLock::Acquire(state.hive.Path(), kDefaultLockWaitMs, &lock);
            status != ERROR_SUCCESS)
            return status;
    }
    Key* key;
    KeyPath path;
    View view;
    if (LONG status = ResolveKey(state, handle, &key, &path, &view); status != ERROR_SUCCESS)
        return status;
    bool changed = false;
    LONG status = change(state, *key, path, view, changed);
    if (changed && view.transaction) {
        view.transaction->changed = true;
    } else if (changed) {
        LONG written = state.hive.Commit();
        if (written == ERROR_SUCCESS)
            lock->KeepFolders();
        if (status == ERROR_SUCCESS)
            status = written;
    }
    return status;
}

// ModifyKey on the existing key subkey names below handle: runs
// remove(state, target, path, view, itself, changed), itself when subkey
// names the handle's own key.
template <typename Remove>
LONG RemoveBelow(HKEY handle, LPCSTR subkey, Remove remove) {
    KeyPath parts;
    if (LONG status = ParseSubkey(subkey, &parts); status != ERROR_SUCCESS)
        return status;
    return ModifyKey(
        handle,
        [&](State& state, Key& parent, KeyPath& path, const View& view, bool& changed) -> LONG {
            Key* target = Descend(parent, path, parts);
            if (target == nullptr)
                return ERROR_FILE_NOT_FOUND;
            return remove(state, *target, path, view, parts.empty(), changed);
        });
}

}  // namespace

VT_EXTERN_C VT_PLATFORM_API LONG VtRegistrySetHiveFile(LPCSTR path) {
    if (path == nullptr || *path == 0)
        return ERROR_INVALID_PARAMETER;
    State& state = GlobalState();
    std::lock_guard guard(state.mutex);
    state.hive.SetPath(path);
    return ERROR_SUCCESS;
}

VT_EXTERN_C VT_PLATFORM_API LONG VtRegistryGetHiveFile(LPSTR buffer, DWORD size) {
    if (buffer == nullptr)
        return ERROR_INVALID_PARAMETER;
    State& state = GlobalState();
    std::lock_guard guard(state.mutex);
    const std::string& path = state.hive.Path();
    if (path.size() >= size)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return ERROR_SUCCESS;
}

VT_EXTERN_C VT_PLATFORM_API LONG RegCreateKeyExA(HKEY key, LPCSTR subkey, DWORD, LPSTR, DWORD,
                                                 REGSAM, void*, PHKEY result, DWORD* disposition) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    KeyPath parts;
    if (LONG status = ParseSubkey(subkey, &parts); status != ERROR_SUCCESS)
        return status;
    return ModifyKey(
        key,
        [&](State& state, Key& parent, KeyPath& path, const View& view, bool& changed) -> LONG {
            if (path.size() + parts.size() > kMaxDepth)
                return ERROR_INVALID_PARAMETER;
            Key* current = &parent;
            for (const auto& part : parts) {
                auto& slot = current->subkeys[part];
                if (!slot) {
                    slot = std::make_unique<Key>();
                    changed = true;
                }
                current = slot.get();
                path.push_back(part);
            }
            if (disposition != nullptr)
                *disposition = changed ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
            return NewHandle(state, std::move(path), view.transaction, result);
        });
}

VT_EXTERN_C VT_PLATFORM_API LONG RegOpenKeyExA(HKEY key, LPCSTR subkey, DWORD, REGSAM,
                                               PHKEY result) {
    if (result == nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;  // Windows clears the handle on failure
    KeyPath parts;
    if (LONG status = ParseSubkey(subkey, &parts); status != ERROR_SUCCESS)
        return status;
    return ReadKey(key, [&](State& state, Key& parent, KeyPath& path, const View& view) -> LONG {
        if (Descend(parent, path, parts) == nullptr)
            return ERROR_FILE_NOT_FOUND;
        return NewHandle(state, std::move(path), view.transaction, result);
    });
}

VT_EXTERN_C VT_PLATFORM_API LONG RegCloseKey(HKEY key) {
    if (key == HKEY_CLASSES_ROOT)
        return ERROR_SUCCESS;  // Windows lets a predefined key be closed
    State& state = GlobalState();
    std::lock_guard guard(state.mutex);
    if (key == nullptr || state.handles.erase(key) == 0)
        return ERROR_INVALID_HANDLE;
    delete key;
    return ERROR_SUCCESS;
}

// Stores the text up to its first NUL; the size counts the NUL as on Windows.
VT_EXTERN_C VT_PLATFORM_API LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type,
                                                const BYTE* data, DWORD size) {
    if (type != REG_SZ)
        return ERROR_INVALID_PARAMETER;
    if (data == nullptr && size != 0)
        return ERROR_INVALID_PARAMETER;
    auto* text = reinterpret_cast<const char*>(data);
    std::string value = data == nullptr ? std::string() : std::string(text, strnlen(text, size));
    if (HasLineBreak(name) || HasLineBreak(value.c_str()))
        return ERROR_INVALID_PARAMETER;
    return ModifyKey(key, [&](State&, Key& target, KeyPath&, const View&, bool& changed) -> LONG {
        auto [it, inserted] = target.values.try_emplace(ValueName(name), value);
        changed = inserted || it->second != value;
        it->second = value;
        return static_cast<LONG>(ERROR_SUCCESS);
    });
}

VT_EXTERN_C VT_PLATFORM_API LONG RegQueryValueExA(HKEY key, LPCSTR name, DWORD* reserved,
                                                  DWORD* type, BYTE* data, DWORD* size) {
    if (reserved != nullptr || (data != nullptr && size == nullptr))
        return ERROR_INVALID_PARAMETER;
    return ReadKey(key, [&](State&, Key& target, KeyPath&, const View&) -> LONG {
        auto it = target.values.find(ValueName(name));
        if (it == target.values.end())
            return ERROR_FILE_NOT_FOUND;
        return CopyValue(it->second, type, data, size);
    });
}

// An empty subkey deletes the key itself, as on Windows; the root cannot go.
VT_EXTERN_C VT_PLATFORM_API LONG RegDeleteKeyA(HKEY key, LPCSTR subkey) {
    if (subkey == nullptr)
        return ERROR_INVALID_PARAMETER;
    return RemoveBelow(key, subkey,
                       [&](State& state, Key& target, KeyPath& path, const View& view, bool,
                           bool& changed) -> LONG {
                           if (path.empty() || !target.subkeys.empty())
                               return ERROR_ACCESS_DENIED;
                           Unlink(state, path, view);
                           changed = true;
                           return ERROR_SUCCESS;
                       });
}

// A null subkey empties the key (values and subkeys) but keeps it.
VT_EXTERN_C VT_PLATFORM_API LONG RegDeleteTreeA(HKEY key, LPCSTR subkey) {
    return RemoveBelow(key, subkey,
                       [&](State& state, Key& target, KeyPath& path, const View& view, bool itself,
                           bool& changed) -> LONG {
                           changed = true;
                           if (itself || path.empty()) {
                               for (const auto& [name, child] : target.subkeys) {
                                   KeyPath child_path = path;
                                   child_path.push_back(name);
                                   MarkDeleted(state, child_path, view);
                               }
                               target.subkeys.clear();
                               target.values.clear();
                           } else {
                               Unlink(state, path, view);
                           }
                           return ERROR_SUCCESS;
                       });
}
