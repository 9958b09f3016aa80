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

// Windows nests keys at most 512 levels deep. Holding to it keeps every walk
// over a hive bounded, whatever file it came from.
inline constexpr size_t kMaxDepth = 512;
// A hive larger than this is not one the platform wrote, nor one it writes.
inline constexpr size_t kMaxHiveBytes = 64 << 20;

// Splits "A\B\C" into components; nullopt for an empty component
// (leading or doubled backslash). A trailing backslash is allowed.
std::optional<KeyPath> SplitPath(std::string_view path);

Key* Find(Key& root, const KeyPath& path);

// nullopt when the text is not a well-formed hive or nests keys deeper
// than kMaxDepth.
std::optional<Key> ParseHive(std::string_view text);
// Keys depth first, subkeys and value names sorted, default value first;
// nullopt when the text would pass kMaxHiveBytes.
std::optional<std::string> FormatHive(const Key& root);

}  // namespace vtplatform::registry
