// Loaded modules as the module functions keep them.
#pragma once

#include "resource_reader.h"

#include <platform/module.h>

#include <cstddef>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace vtplatform::module {

// A module file mapped read-only and private: the resources point into it,
// and only the pages they touch are read.
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // 0, or the last-error to report.
    DWORD Map(const std::string& path);
    std::span<const std::byte> Bytes() const { return {m_base, m_size}; }

private:
    const std::byte* m_base = nullptr;
    size_t m_size = 0;
};

}  // namespace vtplatform::module

struct VtResource {
    vtplatform::module::ResourceEntry entry;
};

struct VtModule {
    std::string path;    // absolute path of the file
    void* dl = nullptr;  // null for a data-file load
    int refs = 0;
    // Read on first use for code modules, at load for data files.
    bool resources_read = false;
    DWORD resource_error = 0;  // last-error for FindResource when nonzero
    vtplatform::module::MappedFile file;
    std::vector<VtResource> resources;
};

namespace vtplatform::module {

std::mutex& ModulesMutex();
// Null (after SetLastError) when the handle is not a live module; a null
// handle is the executable.
VtModule* LookupModule(HMODULE handle);
// Reads the file and its resource table once; returns the last-error to
// report, 0 on success.
DWORD ReadResources(VtModule& module);

}  // namespace vtplatform::module
