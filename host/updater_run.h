// One run of a provider's updater, as a host drives it: create through the
// registry, InitData (optional), SetData, SetProxy (optional),
// DoEntryPoint, then the status and the message. Shared by `vantrel
// update` and `vantrel watch`.
#pragma once

#include <vantrel/vantrel.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/module_loading.h"
#include "host/options.h"
#include "host/providers.h"
#include "host/text_convert.h"

namespace host {

struct ReleaseUpdater {
    void operator()(IIPUpdate* updater) const { updater->Release(); }
};
using UpdaterPtr = std::unique_ptr<IIPUpdate, ReleaseUpdater>;

// A BSTR of the ANSI text, freed at the end of scope.
struct WideText {
    BSTR value;
    explicit WideText(const std::string& text);
    ~WideText() { SysFreeString(value); }
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;
};

// Null with the reason in `why`; an unregistered class names the hive and
// the command that registers it.
UpdaterPtr CreateUpdater(const Provider& provider, const Options& options, std::string& why);

struct UpdateRequest {
    const std::vector<BYTE>* blob = nullptr;
    const std::string* proxy = nullptr;  // null: SetProxy is not called
    std::string address;
    bool init = false;
};

struct UpdateResult {
    HRESULT hr = E_FAIL;
    SHORT status = 0;
    std::string message;
};

// nullopt with the reason when a step before DoEntryPoint fails or the
// outcome cannot be read.
std::optional<UpdateResult> RunUpdater(IIPUpdate& updater, const Provider& provider,
                                       const UpdateRequest& request, std::string& why);

}  // namespace host
