#include "host/server_export.h"

#include <platform/registry.h>

#include <cstdio>
#include <string_view>

#include "host/hive_transaction.h"
#include "host/module_loading.h"
#include "host/text_convert.h"

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
        char hive[4096] = "";
        VtRegistryGetHiveFile(hive, sizeof hive);
        // Unregistering finds the type library missing first when nothing is there.
        if (hr == TYPE_E_LIBNOTREGISTERED &&
            std::string_view(export_name) == "DllUnregisterServer") {
            Fail(argv[0], "%s failed: %s: nothing of this module is registered in %s", export_name,
                 HResultName(hr).c_str(), hive);
        } else {
            Fail(argv[0], "%s failed: %s (hive %s)", export_name, HResultExplained(hr).c_str(),
                 hive);
        }
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
