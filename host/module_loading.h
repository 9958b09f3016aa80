// Finding and loading the module, choosing the hive, and creating its
// objects through the platform.
#pragma once

#include <platform/com.h>
#include <platform/module.h>

#include <optional>
#include <string>
#include <string_view>

#include "host/options.h"

namespace host {

// The host's own file, through the platform.
std::string ExecutablePath();
// <exe dir>/../lib/vantrel/Vantrel.so when it exists, else
// <exe dir>/../lib/Vantrel.so (the build tree).
std::string DefaultModulePath();
std::string ModulePath(const Options& options);
// Points the platform at the hive named by --registry, if any.
bool SelectRegistry(const Options& options, const char* command);

// A loaded module, freed at the end of scope.
class Module {
public:
    // nullopt after saying on stderr that the command cannot load it.
    static std::optional<Module> Load(const std::string& path, DWORD flags, const char* command);
    Module(Module&& other) noexcept;
    Module& operator=(Module&&) = delete;
    ~Module();
    HMODULE Get() const { return m_module; }
    void* Proc(const char* name) const { return GetProcAddress(m_module, name); }

private:
    explicit Module(HMODULE module) : m_module(module) {}
    HMODULE m_module;
};

// The bytes of a resource, or nullopt.
std::optional<std::string_view> ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type);

// Creates an object of a registered class through the platform.
HRESULT CreateByProgId(const char* prog_id, REFIID riid, void** ppv);

}  // namespace host
