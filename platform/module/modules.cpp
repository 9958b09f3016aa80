// Module loading over dlopen, keyed so that one file is one handle.
#include "module_internal.h"

#include <platform/codepage.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <link.h>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace vtplatform::module {

namespace {

struct Modules {
    std::map<void*, VtModule*> by_dl;  // code modules by their dlopen handle
    std::map<VtModule*, std::unique_ptr<VtModule>> all;
    VtModule* executable = nullptr;
};

Modules& Table() {
    static Modules* modules = new Modules;  // lives as long as the process
    return *modules;
}

std::string AbsolutePath(const char* path) {
    char resolved[PATH_MAX];
    return realpath(path, resolved) != nullptr ? std::string(resolved) : std::string(path);
}

VtModule* Adopt(std::unique_ptr<VtModule> module) {
    VtModule* raw = module.get();
    Table().all.emplace(raw, std::move(module));
    if (raw->dl != nullptr)
        Table().by_dl.emplace(raw->dl, raw);
    return raw;
}

// The module for a dlopen handle that the caller owns one count of.
VtModule* ModuleForDl(void* dl) {
    auto it = Table().by_dl.find(dl);
    if (it != Table().by_dl.end()) {
        ++it->second->refs;
        return it->second;
    }
    auto module = std::make_unique<VtModule>();
    link_map* map = nullptr;
    dlinfo(dl, RTLD_DI_LINKMAP, &map);
    module->path = map != nullptr && map->l_name[0] != 0 ? AbsolutePath(map->l_name) : "";
    module->dl = dl;
    module->refs = 1;
    return Adopt(std::move(module));
}

HMODULE LoadDataFile(LPCSTR path) {
    auto module = std::make_unique<VtModule>();
    module->path = AbsolutePath(path);
    module->refs = 1;
    if (DWORD error = ReadResources(*module); error == ERROR_FILE_NOT_FOUND ||
                                              error == ERROR_BAD_EXE_FORMAT) {
        SetLastError(error);
        return nullptr;
    }
    return Adopt(std::move(module));
}

}  // namespace

std::mutex& ModulesMutex() {
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

VtModule* LookupModule(HMODULE handle) {
    if (handle == nullptr) {
        if (Table().executable == nullptr) {
            auto module = std::make_unique<VtModule>();
            module->path = AbsolutePath("/proc/self/exe");
            Table().executable = module.get();
            Table().all.emplace(module.get(), std::move(module));
        }
        return Table().executable;
    }
    if (Table().all.count(handle) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return handle;
}

}  // namespace vtplatform::module

using namespace vtplatform::module;

VT_EXTERN_C VT_PLATFORM_API HMODULE LoadLibraryExA(LPCSTR path, void*, DWORD flags) {
    if (path == nullptr || *path == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard guard(ModulesMutex());
    if (flags & LOAD_LIBRARY_AS_DATAFILE)
        return LoadDataFile(path);
    void* dl = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (dl == nullptr) {
        struct stat st {};
        SetLastError(stat(path, &st) == 0 ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return ModuleForDl(dl);
}

VT_EXTERN_C VT_PLATFORM_API BOOL FreeLibrary(HMODULE handle) {
    std::lock_guard guard(ModulesMutex());
    if (handle == nullptr || Table().all.count(handle) == 0 || handle == Table().executable ||
        handle->refs <= 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    void* dl = handle->dl;
    if (--handle->refs == 0) {
        Table().by_dl.erase(dl);
        Table().all.erase(handle);
    }
    if (dl != nullptr)
        dlclose(dl);
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API void* GetProcAddress(HMODULE handle, LPCSTR name) {
    std::lock_guard guard(ModulesMutex());
    VtModule* module = LookupModule(handle);
    if (module == nullptr)
        return nullptr;
    // Ordinals do not exist in ELF; a data file has no code.
    if (name == nullptr || IS_INTRESOURCE(name) || module->dl == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* address = dlsym(module->dl, name);
    if (address == nullptr)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return address;
}

VT_EXTERN_C VT_PLATFORM_API BOOL GetModuleHandleExA(DWORD flags, LPCSTR name_or_address,
                                                    HMODULE* result) {
    if (result == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *result = nullptr;
    std::lock_guard guard(ModulesMutex());
    const char* file = name_or_address;
    if (flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) {
        Dl_info info{};
        link_map* map = nullptr;
        if (dladdr1(name_or_address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
            map == nullptr) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return FALSE;
        }
        // The main program's map has no name: code linked into the
        // executable belongs to the executable's module, as on Windows.
        file = map->l_name[0] != 0 ? map->l_name : nullptr;
    }
    if (file == nullptr) {
        *result = LookupModule(nullptr);
        return TRUE;
    }
    void* dl = dlopen(file, RTLD_NOW | RTLD_NOLOAD);
    if (dl == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    VtModule* module = ModuleForDl(dl);
    // Without a count of its own the caller borrows the handle; the count
    // NOLOAD took goes back, but the entry stays for later lookups.
    if (flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) {
        if (module->refs > 1) {
            --module->refs;
            dlclose(dl);
        }
    }
    *result = module;
    return TRUE;
}

VT_EXTERN_C VT_PLATFORM_API DWORD GetModuleFileNameA(HMODULE handle, LPSTR buffer, DWORD size) {
    std::string path;
    {
        std::lock_guard guard(ModulesMutex());
        VtModule* module = LookupModule(handle);
        if (module == nullptr)
            return 0;
        path = module->path;
    }
    if (buffer == nullptr || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= size) {
        std::memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}
