// A module file's resources: the ELF section table, then the resource
// table inside the section. The first byte picks whether the rest is a
// whole file or the section alone; every entry must lie inside the input.
#include "module/resource_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

using namespace vtplatform::module;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::span<const std::byte> input(reinterpret_cast<const std::byte*>(data) + 1, size - 1);
    std::span<const std::byte> section = input;
    if (data[0] & 1) {
        if (FindElfSection(input, ".vtrsrc", &section) != ElfResult::kFound) {
            return 0;
        }
        if (section.data() < input.data() || section.data() + section.size() > input.data() + input.size()) {
            std::abort();
        }
    }
    std::optional<std::vector<ResourceEntry>> entries = ParseResourceTable(section);
    if (!entries) {
        return 0;
    }
    for (const ResourceEntry& entry : *entries) {
        if (entry.data.size() != 0 && (entry.data.data() < section.data() ||
                                        entry.data.data() + entry.data.size() > section.data() + section.size())) {
            std::abort();
        }
    }
    return 0;
}
