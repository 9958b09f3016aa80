// FindResource and friends over the ".vtrsrc" section of the module file.
#include "module_internal.h"

#include <platform/codepage.h>
#include <platform/resource_format.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vtplatform::module {

namespace {

// Module files are a few megabytes; anything far larger is refused.
constexpr off_t kMaxModuleBytes = off_t{512} << 20;

}  // namespace

MappedFile::~MappedFile() {
    if (m_size > 0)
        munmap(const_cast<std::byte*>(m_base), m_size);
}

DWORD MappedFile::Map(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ERROR_FILE_NOT_FOUND;
    struct stat st {};
    DWORD error = 0;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxModuleBytes) {
        error = ERROR_BAD_EXE_FORMAT;
    } else if (st.st_size > 0) {
        void* base = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (base == MAP_FAILED) {
            error = ERROR_NOT_ENOUGH_MEMORY;
        } else {
            m_base = static_cast<const std::byte*>(base);
            m_size = static_cast<size_t>(st.st_size);
        }
    }
    close(fd);
    return error;
}

namespace {

// A resource name or type given as an id: MAKEINTRESOURCE or "#123".
bool AsId(LPCSTR text, uint32_t* id) {
    if (IS_INTRESOURCE(text)) {
        *id = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(text));
        return true;
    }
    if (text[0] != '#' || text[1] == 0)
        return false;
    char* end = nullptr;
    unsigned long value = std::strtoul(text + 1, &end, 10);
    if (*end != 0 || value > 0xFFFF)
        return false;
    *id = static_cast<uint32_t>(value);
    return true;
}

bool TypeMatches(const ResourceEntry& entry, LPCSTR type) {
    uint32_t id = 0;
    if (AsId(type, &id))
        return entry.type_name.empty() && entry.type_id == id;
    return !entry.type_name.empty() && lstrcmpiA(entry.type_name.c_str(), type) == 0;
}

}  // namespace

DWORD ReadResources(VtModule& module) {
    if (module.resources_read)
        return module.resource_error;
    module.resources_read = true;
    module.resource_error = module.file.Map(module.path);
    if (module.resource_error != 0)
        return module.resource_error;
    std::span<const std::byte> section;
    switch (FindElfSection(module.file.Bytes(), VT_RSRC_SECTION, &section)) {
    case ElfResult::kNotElf:
        module.resource_error = ERROR_BAD_EXE_FORMAT;
        break;
    case ElfResult::kNoSection:
        module.resource_error = ERROR_RESOURCE_DATA_NOT_FOUND;
        break;
    case ElfResult::kFound:
        if (auto entries = ParseResourceTable(section)) {
            for (auto& entry : *entries)
                module.resources.push_back(VtResource{std::move(entry)});
        } else {
            module.resource_error = ERROR_RESOURCE_DATA_NOT_FOUND;
        }
        break;
    }
    return module.resource_error;
}

}  // namespace vtplatform::module

using namespace vtplatform::module;

VT_EXTERN_C VT_PLATFORM_API HRSRC FindResourceA(HMODULE handle, LPCSTR name, LPCSTR type) {
    uint32_t name_id = 0;
    if (name == nullptr || type == nullptr || !AsId(name, &name_id)) {
        SetLastError(name == nullptr || type == nullptr ? ERROR_INVALID_PARAMETER
                                                        : ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    std::lock_guard guard(ModulesMutex());
    VtModule* module = LookupModule(handle);
    if (module == nullptr)
        return nullptr;
    if (DWORD error = ReadResources(*module); error != 0) {
        SetLastError(error);
        return nullptr;
    }
    bool type_seen = false;
    for (VtResource& resource : module->resources) {
        if (!TypeMatches(resource.entry, type))
            continue;
        type_seen = true;
        if (resource.entry.name_id == name_id)
            return &resource;
    }
    SetLastError(type_seen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

VT_EXTERN_C VT_PLATFORM_API HGLOBAL LoadResource(HMODULE, HRSRC resource) {
    if (resource == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<std::byte*>(resource->entry.data.data());
}

VT_EXTERN_C VT_PLATFORM_API void* LockResource(HGLOBAL data) { return data; }

VT_EXTERN_C VT_PLATFORM_API DWORD SizeofResource(HMODULE, HRSRC resource) {
    if (resource == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(resource->entry.data.size());
}
