#include "resource_reader.h"

#include <platform/resource_format.h>

#include <cstring>

namespace vtplatform::module {

namespace {

constexpr size_t kElfHeaderSize = 64;
constexpr size_t kSectionHeaderSize = 64;
constexpr uint16_t kExtendedIndex = 0xFFFF;  // SHN_XINDEX
constexpr uint32_t kNoBits = 8;              // SHT_NOBITS: no bytes in the file

template <typename T>
bool ReadAt(std::span<const std::byte> bytes, uint64_t offset, T* value) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T))
        return false;
    std::memcpy(value, bytes.data() + offset, sizeof(T));  // the host is little-endian too
    return true;
}

bool SubSpan(std::span<const std::byte> bytes, uint64_t offset, uint64_t size,
             std::span<const std::byte>* out) {
    if (offset > bytes.size() || size > bytes.size() - offset)
        return false;
    *out = bytes.subspan(static_cast<size_t>(offset), static_cast<size_t>(size));
    return true;
}

struct SectionHeader {
    uint32_t name;
    uint32_t type;
    uint64_t offset;
    uint64_t size;
    uint32_t link;
};

bool ReadSectionHeader(std::span<const std::byte> file, uint64_t table, uint64_t index,
                       SectionHeader* header) {
    if (index > (UINT64_MAX - table) / kSectionHeaderSize)
        return false;
    uint64_t at = table + index * kSectionHeaderSize;
    return ReadAt(file, at, &header->name) && ReadAt(file, at + 4, &header->type) &&
           ReadAt(file, at + 0x18, &header->offset) && ReadAt(file, at + 0x20, &header->size) &&
           ReadAt(file, at + 0x28, &header->link);
}

// The NUL-terminated name at offset in the string table, if it ends inside.
std::optional<std::string_view> NameAt(std::span<const std::byte> strings, uint64_t offset) {
    if (offset >= strings.size())
        return std::nullopt;
    auto* begin = reinterpret_cast<const char*>(strings.data()) + offset;
    auto* end = static_cast<const char*>(std::memchr(begin, 0, strings.size() - offset));
    if (end == nullptr)
        return std::nullopt;
    return std::string_view(begin, static_cast<size_t>(end - begin));
}

}  // namespace

ElfResult FindElfSection(std::span<const std::byte> file, std::string_view name,
                         std::span<const std::byte>* section) {
    static const unsigned char kIdent[] = {0x7F, 'E', 'L', 'F', 2 /* 64-bit */, 1 /* LE */};
    if (file.size() < kElfHeaderSize || std::memcmp(file.data(), kIdent, sizeof kIdent) != 0)
        return ElfResult::kNotElf;
    uint64_t table = 0;
    uint16_t entry_size = 0, count16 = 0, names16 = 0;
    if (!ReadAt(file, 0x28, &table) || !ReadAt(file, 0x3A, &entry_size) ||
        !ReadAt(file, 0x3C, &count16) || !ReadAt(file, 0x3E, &names16))
        return ElfResult::kNotElf;
    if (table == 0)
        return ElfResult::kNoSection;
    if (entry_size != kSectionHeaderSize)
        return ElfResult::kNotElf;
    // Large files keep the count and the name table index in section 0.
    SectionHeader first{};
    if (!ReadSectionHeader(file, table, 0, &first))
        return ElfResult::kNotElf;
    uint64_t count = count16 != 0 ? count16 : first.size;
    uint64_t names_index = names16 != kExtendedIndex ? names16 : first.link;
    SectionHeader names_header{};
    std::span<const std::byte> names;
    if (names_index >= count || !ReadSectionHeader(file, table, names_index, &names_header) ||
        !SubSpan(file, names_header.offset, names_header.size, &names))
        return ElfResult::kNotElf;
    for (uint64_t i = 1; i < count; ++i) {
        SectionHeader header{};
        if (!ReadSectionHeader(file, table, i, &header))
            return ElfResult::kNotElf;
        auto section_name = NameAt(names, header.name);
        if (!section_name || *section_name != name)
            continue;
        if (header.type == kNoBits || !SubSpan(file, header.offset, header.size, section))
            return ElfResult::kNotElf;
        return ElfResult::kFound;
    }
    return ElfResult::kNoSection;
}

std::optional<std::vector<ResourceEntry>> ParseResourceTable(std::span<const std::byte> section) {
    VtResourceHeader header;
    if (!ReadAt(section, 0, &header) || std::memcmp(header.magic, VT_RSRC_MAGIC, 4) != 0 ||
        header.version != VT_RSRC_VERSION)
        return std::nullopt;
    uint64_t table_end = sizeof header + uint64_t{header.count} * sizeof(VtResourceEntry);
    if (table_end > section.size())
        return std::nullopt;
    std::vector<ResourceEntry> entries;
    entries.reserve(header.count);
    for (uint32_t i = 0; i < header.count; ++i) {
        VtResourceEntry raw;
        ReadAt(section, sizeof header + uint64_t{i} * sizeof raw, &raw);
        ResourceEntry entry{raw.type_id, {}, raw.name_id, {}};
        if (!SubSpan(section, raw.data_offset, raw.data_size, &entry.data))
            return std::nullopt;
        if (raw.type_name_offset != 0) {
            auto type_name = NameAt(section, raw.type_name_offset);
            if (!type_name || type_name->empty() || raw.type_id != 0)
                return std::nullopt;
            entry.type_name = *type_name;
        } else if (raw.type_id == 0) {
            return std::nullopt;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace vtplatform::module
