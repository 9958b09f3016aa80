// The in-memory hive and its .reg text form. Pure: no files here.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtplatform::registry {

// Registry names compare without regard to ASCII case; the first spelling is kept.
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

struct Key {
    // The empty name is the key's default value.
    std::map<std::string, std::string, NoCaseLess> values;
    std::map<std::string, std::unique_ptr<Key>, NoCaseLess> subkeys;
};

using KeyPath = std::vector<std::string>;

inline constexpr std::string_view kRootName = "HKEY_CLASSES_ROOT";
inline constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

// Splits "A\B\C" into components; nullopt for an empty component
// (leading or doubled backslash). A trailing backslash is allowed.
std::optional<KeyPath> SplitPath(std::string_view path);

Key* Find(Key& root, const KeyPath& path);

// nullopt when the text is not a well-formed hive.
std::optional<Key> ParseHive(std::string_view text);
// Keys depth first, subkeys and value names sorted, default value first.
std::string FormatHive(const Key& root);

}  // namespace vtplatform::registry
