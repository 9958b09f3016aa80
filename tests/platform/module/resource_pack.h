// Builds a ".vtrsrc" section at compile time, so a test library can carry
// resources without the module's own packer.
#pragma once

#include <platform/resource_format.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vt_test {

struct Resource {
    uint32_t type_id;             // 0 for a named type
    std::string_view type_name;   // empty for a numeric type
    uint32_t name_id;
    std::string_view data;
};

template <size_t Count>
constexpr size_t PackedSize(const std::array<Resource, Count>& resources) {
    size_t size = sizeof(VtResourceHeader) + Count * sizeof(VtResourceEntry);
    for (const auto& r : resources)
        size += (r.type_name.empty() ? 0 : r.type_name.size() + 1) + r.data.size();
    return size;
}

template <size_t Size, size_t Count>
constexpr std::array<char, Size> Pack(const std::array<Resource, Count>& resources) {
    std::array<char, Size> out{};
    size_t at = 0;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at++] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto put_text = [&](std::string_view text, size_t where) {
        for (char c : text)
            out[where++] = c;
        return where;
    };
    put_text(VT_RSRC_MAGIC, 0);
    at = 4;
    put32(VT_RSRC_VERSION);
    put32(static_cast<uint32_t>(Count));
    size_t tail = sizeof(VtResourceHeader) + Count * sizeof(VtResourceEntry);
    for (const auto& r : resources) {
        uint32_t name_offset = 0;
        if (!r.type_name.empty()) {
            name_offset = static_cast<uint32_t>(tail);
            tail = put_text(r.type_name, tail) + 1;  // the array is zeroed: NUL is there
        }
        uint32_t data_offset = static_cast<uint32_t>(tail);
        tail = put_text(r.data, tail);
        put32(r.type_id);
        put32(r.name_id);
        put32(name_offset);
        put32(data_offset);
        put32(static_cast<uint32_t>(r.data.size()));
    }
    return out;
}

}  // namespace vt_test

// Places the packed resources in the library's ".vtrsrc" section.
#define VT_TEST_RESOURCES(...)                                                              \
    namespace {                                                                             \
    constexpr std::array kVtTestResources{__VA_ARGS__};                                     \
    constexpr size_t kVtTestSize = vt_test::PackedSize(kVtTestResources);                   \
    }                                                                                       \
    [[gnu::section(VT_RSRC_SECTION)]] extern const std::array<char, kVtTestSize> \
        vt_test_resources;                                                                  \
    const std::array<char, kVtTestSize> vt_test_resources =                                 \
        vt_test::Pack<kVtTestSize>(kVtTestResources)
