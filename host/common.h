// What the host's commands share: the --registry and --module options, the
// table of providers, the module's location, and creating objects.
#pragma once

#include <platform/com.h>
#include <platform/module.h>

#include <optional>
#include <string>
#include <string_view>

#include "host/commands.h"

namespace host {

struct Provider {
    const char* short_name;
    LONG id;
    const char* view_class;
    const char* updater_class;
    const char* view_prog_id;
    const char* updater_prog_id;
};

// In the order `vantrel list` shows them.
extern const Provider kProviders[9];

// By short name (any case), provider ID, or the ProgID or class name of
// either half (versioned or not).
const Provider* FindProvider(std::string_view key);

struct Options {
    std::string registry;  // empty: the platform's default hive
    std::string module;    // empty: the module beside the host
};

enum class Parse { Ok, Help, Usage };

// Reads the options the commands share ("--registry FILE", "--module PATH"
// or their "=" forms) and "--help". Anything else is a usage error unless
// the command takes positional arguments, which land in `rest`.
Parse ParseOptions(int argc, char** argv, Options& options, std::string* rest = nullptr);

// ParseOptions for a command: prints help and gives kExitOk on --help,
// gives kExitUsage on a usage error, nullopt when the command goes on.
std::optional<int> ParseCommandLine(int argc, char** argv, Options& options, const char* help);

// The host's own file, through the platform.
std::string ExecutablePath();
// <exe dir>/../lib/vantrel/Vantrel.so when it exists, else
// <exe dir>/../lib/Vantrel.so (the build tree).
std::string DefaultModulePath();
std::string ModulePath(const Options& options);
// Points the platform at the hive named by --registry, if any.
bool SelectRegistry(const Options& options, const char* command);

// Prints "vantrel <command>: <message>" on stderr.
void Fail(const char* command, const char* format, ...) __attribute__((format(printf, 2, 3)));

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

// UTF-16 <-> the ANSI code page, through the platform.
std::u16string Widen(std::string_view text);
std::string Narrow(const WCHAR* text);

std::string HResultText(HRESULT hr);

}  // namespace host

namespace host {

// register/unregister: loads the module and calls the named export
// (DllRegisterServer or DllUnregisterServer) against the chosen hive.
int RunServerExport(int argc, char** argv, const char* export_name, const char* done_verb,
                    const char* help);

}  // namespace host
