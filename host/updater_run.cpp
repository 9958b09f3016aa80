#include "host/updater_run.h"

#include <platform/registry.h>

#include "host/blob_file.h"
#include "host/net_failure.h"

namespace host {

WideText::WideText(const std::string& text)
    : value(SysAllocString(reinterpret_cast<const OLECHAR*>(Widen(text).c_str()))) {}

UpdaterPtr CreateUpdater(const Provider& provider, const Options& options, std::string& why) {
    IIPUpdate* updater = nullptr;
    HRESULT hr = CreateByProgId(provider.updater_prog_id, IID_IIPUpdate,
                                reinterpret_cast<void**>(&updater));
    if (hr == REGDB_E_CLASSNOTREG || hr == CO_E_CLASSSTRING) {
        char hive[4096] = "";
        VtRegistryGetHiveFile(hive, sizeof hive);
        why = std::string(provider.updater_prog_id) + " is not registered in " + hive +
              "; register the module first: vantrel register" +
              (options.registry.empty() ? "" : " --registry " + options.registry) +
              (options.module.empty() ? "" : " --module " + options.module);
    } else if (FAILED(hr) || updater == nullptr) {
        why = std::string("cannot create ") + provider.updater_prog_id + ": " + HResultExplained(hr);
    }
    return UpdaterPtr(SUCCEEDED(hr) ? updater : nullptr);
}

std::optional<UpdateResult> RunUpdater(IIPUpdate& updater, const Provider& provider,
                                       const UpdateRequest& request, std::string& why) {
    BlobVariant blob(*request.blob);
    WideText proxy(request.proxy != nullptr ? *request.proxy : std::string());
    WideText address(request.address);
    if (!blob.IsValid()) {
        why = "out of memory for the settings blob";
    } else if (request.init && FAILED(updater.InitData())) {
        why = "InitData failed";
    } else if (FAILED(updater.SetData(blob.Value()))) {
        why = "SetData failed";
    } else if (request.proxy != nullptr && FAILED(updater.SetProxy(proxy.value))) {
        why = std::string(provider.updater_prog_id) + " takes no proxy";
    } else {
        UpdateResult result;
        ForgetNetFailure();  // so a reason read afterwards is this run's
        result.hr = updater.DoEntryPoint(address.value);
        BSTR message = nullptr;
        HRESULT read = updater.GetErrorStatus(&result.status);
        if (SUCCEEDED(read)) {
            read = updater.GetErrorMessage(&message);
        }
        if (FAILED(read)) {
            why = "cannot read the outcome: " + HResultExplained(read);
            return std::nullopt;
        }
        // Freed even when the conversion throws.
        std::unique_ptr<OLECHAR, decltype(&SysFreeString)> owned(message, SysFreeString);
        result.message = Narrow(message);
        return result;
    }
    return std::nullopt;
}

}  // namespace host
