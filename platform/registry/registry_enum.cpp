// Enumeration and key information. Subkeys come in the hive's sorted order.
#include "registry_state.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

using namespace vtplatform::registry;

// Copies name into a buffer of *size characters. Windows reports the length
// without the NUL on success and ERROR_MORE_DATA when it does not fit.
LONG CopyName(const std::string& name, LPSTR buffer, DWORD* size) {
    if (name.size() >= *size)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// The class of every key is empty here.
void EmptyClass(LPSTR klass, DWORD* class_size) {
    if (klass != nullptr && class_size != nullptr && *class_size > 0)
        *klass = 0;
    if (class_size != nullptr)
        *class_size = 0;
}

void Store(DWORD* out, size_t value) {
    if (out != nullptr)
        *out = static_cast<DWORD>(value);
}

}  // namespace

VT_EXTERN_C VT_PLATFORM_API LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* name_size,
                                               DWORD* reserved, LPSTR klass, DWORD* class_size,
                                               void*) {
    if (name == nullptr || name_size == nullptr || reserved != nullptr)
        return ERROR_INVALID_PARAMETER;
    return ReadKey(key, [&](State&, Key& target, KeyPath&, const View&) -> LONG {
        if (index >= target.subkeys.size())
            return ERROR_NO_MORE_ITEMS;
        auto it = std::next(target.subkeys.begin(), index);
        if (LONG status = CopyName(it->first, name, name_size); status != ERROR_SUCCESS)
            return status;
        EmptyClass(klass, class_size);
        return ERROR_SUCCESS;
    });
}

VT_EXTERN_C VT_PLATFORM_API LONG RegQueryInfoKeyA(HKEY key, LPSTR klass, DWORD* class_size,
                                                  DWORD* reserved, DWORD* subkeys,
                                                  DWORD* max_subkey_len, DWORD* max_class_len,
                                                  DWORD* values, DWORD* max_value_name_len,
                                                  DWORD* max_value_len, DWORD* security,
                                                  void* last_write) {
    if (reserved != nullptr)
        return ERROR_INVALID_PARAMETER;
    return ReadKey(key, [&](State&, Key& target, KeyPath&, const View&) -> LONG {
        size_t longest_key = 0, longest_name = 0, longest_value = 0;
        for (const auto& [name, child] : target.subkeys)
            longest_key = std::max(longest_key, name.size());
        for (const auto& [name, value] : target.values) {
            longest_name = std::max(longest_name, name.size());
            longest_value = std::max(longest_value, value.size() + 1);
        }
        EmptyClass(klass, class_size);
        Store(subkeys, target.subkeys.size());
        Store(max_subkey_len, longest_key);
        Store(max_class_len, 0);
        Store(values, target.values.size());
        Store(max_value_name_len, longest_name);
        Store(max_value_len, longest_value);
        Store(security, 0);
        if (last_write != nullptr)
            std::memset(last_write, 0, 8);  // a FILETIME; the hive keeps no times
        return ERROR_SUCCESS;
    });
}
