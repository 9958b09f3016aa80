// Reading resources out of a module file: the ELF64 section table and the
// resource table inside ".vtrsrc". Pure functions over bytes; every offset
// is checked, since the file may be hostile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vtplatform::module {

enum class ElfResult { kFound, kNotElf, kNoSection };

// Finds the named section's bytes in a little-endian ELF64 file.
ElfResult FindElfSection(std::span<const std::byte> file, std::string_view name,
                         std::span<const std::byte>* section);

struct ResourceEntry {
    uint32_t type_id;       // 0 for a named type
    std::string type_name;  // empty for a numeric type
    uint32_t name_id;
    std::span<const std::byte> data;
};

// nullopt when the table is malformed in any way.
std::optional<std::vector<ResourceEntry>> ParseResourceTable(std::span<const std::byte> section);

}  // namespace vtplatform::module
