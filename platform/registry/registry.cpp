// Reg* functions over the file-backed HKEY_CLASSES_ROOT.
#include "registry_state.h"

#include <cstring>

namespace vtplatform::registry {

State& GlobalState() {
    static State* state = new State;  // never destroyed: handles may outlive statics
    return *state;
}

LONG ResolveKey(State& state, HKEY handle, Key** key, KeyPath* path) {
    if (LONG status = state.hive.Refresh(); status != ERROR_SUCCESS)
        return status;
    if (handle == HKEY_CLASSES_ROOT) {
        path->clear();
    } else {
        if (handle == nullptr || state.handles.count(handle) == 0)
            return ERROR_INVALID_HANDLE;
        if (handle->deleted)
            return ERROR_KEY_DELETED;
        *path = handle->path;
    }
    *key = Find(state.hive.Root(), *path);
    return *key != nullptr ? ERROR_SUCCESS : ERROR_KEY_DELETED;
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

// The hive file holds one name or value per line.
bool HasLineBreak(LPCSTR text) { return text != nullptr && std::strpbrk(text, "\r\n") != nullptr; }

// A null or empty subkey is the key itself; Windows refuses a leading
// backslash with ERROR_BAD_PATHNAME.
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

LONG NewHandle(State& state, KeyPath path, PHKEY result) {
    auto* handle = new (std::nothrow) VtRegKey{std::move(path), false};
    if (handle == nullptr)
        return ERROR_OUTOFMEMORY;
    state.handles.insert(handle);
    *result = handle;
    return ERROR_SUCCESS;
}

std::string ValueName(LPCSTR name) { return name == nullptr ? std::string() : std::string(name); }

// Open handles to a removed key or below it answer ERROR_KEY_DELETED.
void MarkDeleted(State& state, const KeyPath& removed) {
    for (VtRegKey* handle : state.handles) {
        if (handle->path.size() < removed.size())
            continue;
        bool below = true;
        for (size_t i = 0; i < removed.size() && below; ++i)
            below = NoCaseLess{}(handle->path[i], removed[i]) == false &&
                    NoCaseLess{}(removed[i], handle->path[i]) == false;
        if (below)
            handle->deleted = true;
    }
}

// Removes the last component of full from its parent (which exists).
void Unlink(State& state, const KeyPath& full) {
    KeyPath parent_path(full.begin(), full.end() - 1);
    Find(state.hive.Root(), parent_path)->subkeys.erase(full.back());
    MarkDeleted(state, full);
}

// The key parts name below key, or null; path grows by parts.
Key* Descend(Key& key, KeyPath& path, const KeyPath& parts) {
    path.insert(path.end(), parts.begin(), parts.end());
    return Find(key, parts);
}

// Runs change(state, key, path, changed) on the key a handle names, under
// the writers' lock with a fresh hive, and writes the hive when the change
// says it made one.
template <typename Change>
LONG ModifyKey(HKEY handle, Change change) {
    State& state = GlobalState();
    std::lock_guard guard(state.mutex);
    HiveFile::WriteLock lock(state.hive);
    if (lock.Status() != ERROR_SUCCESS)
        return lock.Status();
    Key* key;
    KeyPath path;
    if (LONG status = ResolveKey(state, handle, &key, &path); status != ERROR_SUCCESS)
        return status;
    bool changed = false;
    LONG status = change(state, *key, path, changed);
    if (changed) {
        LONG written = state.hive.Commit();
        if (status == ERROR_SUCCESS)
            status = written;
    }
    return status;
}

// ModifyKey on the existing key subkey names below handle: runs
// remove(state, target, path, itself, changed), itself when subkey names
// the handle's own key.
template <typename Remove>
LONG RemoveBelow(HKEY handle, LPCSTR subkey, Remove remove) {
    KeyPath parts;
    if (LONG status = ParseSubkey(subkey, &parts); status != ERROR_SUCCESS)
        return status;
    return ModifyKey(handle, [&](State& state, Key& parent, KeyPath& path, bool& changed) -> LONG {
        Key* target = Descend(parent, path, parts);
        if (target == nullptr)
            return ERROR_FILE_NOT_FOUND;
        return remove(state, *target, path, parts.empty(), changed);
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
    return ModifyKey(key, [&](State& state, Key& parent, KeyPath& path, bool& changed) -> LONG {
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
        return NewHandle(state, std::move(path), result);
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
    return ReadKey(key, [&](State& state, Key& parent, KeyPath& path) -> LONG {
        if (Descend(parent, path, parts) == nullptr)
            return ERROR_FILE_NOT_FOUND;
        return NewHandle(state, std::move(path), result);
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
    return ModifyKey(key, [&](State&, Key& target, KeyPath&, bool& changed) -> LONG {
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
    return ReadKey(key, [&](State&, Key& target, KeyPath&) -> LONG {
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
    return RemoveBelow(key, subkey, [&](State& state, Key& target, KeyPath& path, bool,
                                        bool& changed) -> LONG {
        if (path.empty() || !target.subkeys.empty())
            return ERROR_ACCESS_DENIED;
        Unlink(state, path);
        changed = true;
        return ERROR_SUCCESS;
    });
}

// A null subkey empties the key (values and subkeys) but keeps it.
VT_EXTERN_C VT_PLATFORM_API LONG RegDeleteTreeA(HKEY key, LPCSTR subkey) {
    return RemoveBelow(key, subkey, [&](State& state, Key& target, KeyPath& path, bool itself,
                                        bool& changed) -> LONG {
        changed = true;
        if (itself || path.empty()) {
            for (const auto& [name, child] : target.subkeys) {
                KeyPath child_path = path;
                child_path.push_back(name);
                MarkDeleted(state, child_path);
            }
            target.subkeys.clear();
            target.values.clear();
        } else {
            Unlink(state, path);
        }
        return ERROR_SUCCESS;
    });
}
