#include "host/module_loading.h"

#include <platform/registry.h>

#include <filesystem>
#include <vector>

#include "host/text_convert.h"

namespace host {

std::string ExecutablePath() {
    std::vector<char> buffer(4096);
    DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return length == 0 || length >= buffer.size() ? std::string()
                                                  : std::string(buffer.data(), length);
}

std::string DefaultModulePath() {
    const std::filesystem::path folder = std::filesystem::path(ExecutablePath()).parent_path();
    const std::filesystem::path installed = folder / "../lib/vantrel/Vantrel.so";
    if (std::filesystem::exists(installed)) {
        return installed.lexically_normal().string();
    }
    return (folder / "../lib/Vantrel.so").lexically_normal().string();
}

std::string ModulePath(const Options& options) {
    return options.module.empty() ? DefaultModulePath() : options.module;
}

bool SelectRegistry(const Options& options, const char* command) {
    if (options.registry.empty()) {
        return true;
    }
    LONG error = VtRegistrySetHiveFile(options.registry.c_str());
    if (error != ERROR_SUCCESS) {
        Fail(command, "cannot use the registry hive %s (error %ld)", options.registry.c_str(),
             static_cast<long>(error));
        return false;
    }
    return true;
}

std::optional<Module> Module::Load(const std::string& path, DWORD flags, const char* command) {
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, flags);
    if (module == nullptr) {
        Fail(command, "cannot load the module %s", path.c_str());
        return std::nullopt;
    }
    return Module(module);
}

Module::Module(Module&& other) noexcept : m_module(other.m_module) {
    other.m_module = nullptr;
}

Module::~Module() {
    if (m_module != nullptr) {
        FreeLibrary(m_module);
    }
}

std::optional<std::string_view> ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC resource = FindResourceA(module, name, type);
    if (resource == nullptr) {
        return std::nullopt;
    }
    HGLOBAL data = LoadResource(module, resource);
    const void* bytes = data != nullptr ? LockResource(data) : nullptr;
    if (bytes == nullptr) {
        return std::nullopt;
    }
    return std::string_view(static_cast<const char*>(bytes), SizeofResource(module, resource));
}

HRESULT CreateByProgId(const char* prog_id, REFIID riid, void** ppv) {
    CLSID clsid;
    std::u16string wide = Widen(prog_id);
    HRESULT hr = CLSIDFromProgID(wide.c_str(), &clsid);
    if (FAILED(hr)) {
        return hr;
    }
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, ppv);
}

}  // namespace host
