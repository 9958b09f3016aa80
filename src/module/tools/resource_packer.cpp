// Build-time tool: packs the resources named in a manifest into the blob of
// the ".vtrsrc" section (layout in platform/resource_format.h).
//
//   resource_packer MANIFEST OUTPUT DIR...
//
// Manifest lines are "TYPE ID FILE"; TYPE is a number (2 bitmap, 5 dialog,
// 16 version) or a name (TYPELIB, REGISTRY); FILE is looked up in each DIR
// in turn. Blank lines and lines starting with '#' are skipped.
#include <platform/resource_format.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Resource {
    std::string type_name;  // empty for a numeric type
    uint32_t type_id = 0;
    uint32_t name_id = 0;
    std::vector<char> data;
};

bool IsNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos &&
           text.size() < 10;
}

bool ReadFile(const std::filesystem::path& path, std::vector<char>& data) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool FindAndRead(const std::string& file, const std::vector<std::string>& dirs,
                 std::vector<char>& data) {
    for (const std::string& dir : dirs) {
        if (ReadFile(std::filesystem::path(dir) / file, data)) {
            return true;
        }
    }
    return false;
}

void PutU32(std::vector<char>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
    }
}

std::vector<char> Pack(const std::vector<Resource>& resources) {
    const size_t entries_at = sizeof(VtResourceHeader);
    std::vector<char> out(entries_at + resources.size() * sizeof(VtResourceEntry), '\0');
    std::memcpy(out.data(), VT_RSRC_MAGIC, 4);
    PutU32(out, 4, VT_RSRC_VERSION);
    PutU32(out, 8, static_cast<uint32_t>(resources.size()));
    for (size_t i = 0; i < resources.size(); ++i) {
        const Resource& r = resources[i];
        const size_t entry = entries_at + i * sizeof(VtResourceEntry);
        PutU32(out, entry, r.type_id);
        PutU32(out, entry + 4, r.name_id);
        if (!r.type_name.empty()) {
            PutU32(out, entry + 8, static_cast<uint32_t>(out.size()));
            out.insert(out.end(), r.type_name.begin(), r.type_name.end());
            out.push_back('\0');
        }
        // Data aligned to 4 bytes, so a reader may view records in place.
        out.resize((out.size() + 3) & ~size_t{3}, '\0');
        PutU32(out, entry + 12, static_cast<uint32_t>(out.size()));
        PutU32(out, entry + 16, static_cast<uint32_t>(r.data.size()));
        out.insert(out.end(), r.data.begin(), r.data.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: resource_packer MANIFEST OUTPUT DIR...\n");
        return 2;
    }
    std::ifstream manifest(argv[1]);
    if (!manifest) {
        std::fprintf(stderr, "resource_packer: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::vector<std::string> dirs(argv + 3, argv + argc);
    std::vector<Resource> resources;
    std::string line;
    for (int number = 1; std::getline(manifest, line); ++number) {
        std::istringstream fields(line);
        std::string type, id, file;
        if (!(fields >> type) || type[0] == '#') {
            continue;
        }
        if (!(fields >> id >> file) || !IsNumber(id)) {
            std::fprintf(stderr, "%s:%d: expected TYPE ID FILE\n", argv[1], number);
            return 1;
        }
        Resource r;
        if (IsNumber(type)) {
            r.type_id = static_cast<uint32_t>(std::stoul(type));
        } else {
            r.type_name = type;
        }
        r.name_id = static_cast<uint32_t>(std::stoul(id));
        if (!FindAndRead(file, dirs, r.data)) {
            std::fprintf(stderr, "%s:%d: cannot read %s\n", argv[1], number, file.c_str());
            return 1;
        }
        resources.push_back(std::move(r));
    }
    const std::vector<char> blob = Pack(resources);
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(blob.data(), static_cast<std::streamsize>(blob.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "resource_packer: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
