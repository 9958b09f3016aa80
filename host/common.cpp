#include "host/common.h"

#include "host/hive_transaction.h"

#include <platform/codepage.h>
#include <platform/registry.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace host {

const Provider kProviders[9] = {
    {"dipdns", 21, "DipDNS", "DipDNSObj", "Vantrel.DipDNS", "Vantrel.DipDNSObj"},
    {"dnsexit", 16, "DnsExitView", "DnsExit", "Vantrel.DnsExitView", "Vantrel.DnsExit"},
    {"dyfi", 22, "DyFiView", "DyFi", "Vantrel.DyFiView", "Vantrel.DyFi"},
    {"dynam", 14, "Dynam", "DynamObj", "Vantrel.Dynam", "Vantrel.DynamObj"},
    {"dynup", 15, "Dynup", "DynupObj", "Vantrel.Dynup", "Vantrel.DynupObj"},
    {"eurodyndns", 17, "EuroDynDns", "EuroDynDnsObj", "Vantrel.EuroDynDns",
     "Vantrel.EuroDynDnsObj"},
    {"linuxrc", 19, "GnuDIP2View", "GnuDIP2Obj", "Vantrel.GnuDIP2View", "Vantrel.GnuDIP2Obj"},
    {"gnudip", 20, "GenGnuDIPView", "GenGnuDIPObj", "Vantrel.GenGnuDIPView",
     "Vantrel.GenGnuDIPObj"},
    {"win2000", 18, "Win2000", "Win2000Obj", "Vantrel.Win2000", "Vantrel.Win2000Obj"},
};

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y) {
            return false;
        }
    }
    return true;
}

// "Vantrel.X.1" and "Vantrel.X" both name class X.
bool NamesClass(std::string_view key, std::string_view prog_id, std::string_view class_name) {
    return EqualNoCase(key, prog_id) || EqualNoCase(key, std::string(prog_id) + ".1") ||
           EqualNoCase(key, class_name);
}

// Takes "--name VALUE" or "--name=VALUE"; false when the value is missing.
bool TakeValue(int argc, char** argv, int& i, const char* name, std::string& value, bool& matched) {
    size_t length = std::strlen(name);
    matched = false;
    if (std::strncmp(argv[i], name, length) != 0) {
        return true;
    }
    if (argv[i][length] == '=') {
        matched = true;
        value = argv[i] + length + 1;
        return !value.empty();
    }
    if (argv[i][length] != '\0') {
        return true;
    }
    matched = true;
    if (i + 1 >= argc) {
        return false;
    }
    value = argv[++i];
    return true;
}

}  // namespace

const Provider* FindProvider(std::string_view key) {
    for (const Provider& p : kProviders) {
        if (EqualNoCase(key, p.short_name) || key == std::to_string(p.id) ||
            NamesClass(key, p.view_prog_id, p.view_class) ||
            NamesClass(key, p.updater_prog_id, p.updater_class)) {
            return &p;
        }
    }
    return nullptr;
}

Parse ParseOptions(int argc, char** argv, Options& options, std::string* rest) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return Parse::Help;
        }
        bool matched = false;
        if (!TakeValue(argc, argv, i, "--registry", options.registry, matched)) {
            Fail(argv[0], "--registry needs a file");
            return Parse::Usage;
        }
        if (matched) {
            continue;
        }
        if (!TakeValue(argc, argv, i, "--module", options.module, matched)) {
            Fail(argv[0], "--module needs a path");
            return Parse::Usage;
        }
        if (matched) {
            continue;
        }
        if (rest == nullptr || argv[i][0] == '-' || !rest->empty()) {
            Fail(argv[0], "unexpected argument '%s' (see --help)", argv[i]);
            return Parse::Usage;
        }
        *rest = argv[i];
    }
    return Parse::Ok;
}

std::optional<int> ParseCommandLine(int argc, char** argv, Options& options, const char* help) {
    switch (ParseOptions(argc, argv, options)) {
        case Parse::Help:
            std::fputs(help, stdout);
            return kExitOk;
        case Parse::Usage:
            return kExitUsage;
        case Parse::Ok:
            break;
    }
    return std::nullopt;
}

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

void Fail(const char* command, const char* format, ...) {
    std::fprintf(stderr, "vantrel %s: ", command);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
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

std::u16string Widen(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    int length = static_cast<int>(text.size());
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::u16string wide(static_cast<size_t>(size > 0 ? size : 0), u'\0');
    if (size > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size);
    }
    return wide;
}

std::string Narrow(const WCHAR* text) {
    if (text == nullptr || *text == 0) {
        return {};
    }
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

std::string HResultText(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

}  // namespace host

namespace host {

int RunServerExport(int argc, char** argv, const char* export_name, const char* done_verb,
                    const char* help) {
    Options options;
    if (auto exit_code = ParseCommandLine(argc, argv, options, help)) {
        return *exit_code;
    }
    if (!SelectRegistry(options, argv[0])) {
        return kExitFailure;
    }
    const std::string path = ModulePath(options);
    std::optional<Module> module = Module::Load(path, 0, argv[0]);
    if (!module) {
        return kExitFailure;
    }
    using ServerExport = HRESULT (*)();
    auto run = reinterpret_cast<ServerExport>(module->Proc(export_name));
    if (run == nullptr) {
        Fail(argv[0], "%s has no %s", path.c_str(), export_name);
        return kExitFailure;
    }
    // The module's keys land in the hive as one change, or not at all.
    std::unique_ptr<HiveTransaction> transaction = HiveTransaction::Begin(argv[0]);
    if (transaction == nullptr) {
        return kExitFailure;
    }
    HRESULT hr = run();
    if (FAILED(hr)) {
        Fail(argv[0], "%s failed with %s", export_name, HResultText(hr).c_str());
        return kExitFailure;
    }
    if (!transaction->Commit()) {
        return kExitFailure;
    }
    char hive[4096] = "";
    VtRegistryGetHiveFile(hive, sizeof hive);
    std::printf("%s %s (hive %s)\n", done_verb, path.c_str(), hive);
    return kExitOk;
}

}  // namespace host
