#include "host/page_command.h"

#include "host/blob_file.h"
#include "host/module_loading.h"
#include "host/text_convert.h"

namespace host {

int PageUsage(const char* command, const std::string& problem) {
    Fail(command, "%s (see vantrel %s --help)", problem.c_str(), command);
    return kExitUsage;
}

bool TakeHostOption(int argc, char** argv, int& i, Options& options) {
    const std::string arg = argv[i];
    std::string* value = arg == "--registry" ? &options.registry
                         : arg == "--module" ? &options.module
                                             : nullptr;
    if (value == nullptr || i + 1 >= argc) {
        return false;
    }
    *value = argv[++i];
    return true;
}

bool ActivatePage(const char* command, const Provider& provider, const Options& options,
                  ActiveView& active) {
    if (!SelectRegistry(options, command) || FAILED(CoInitialize(nullptr))) {
        return false;
    }
    HRESULT hr = ActiveView::ActivateByProgId(provider.view_prog_id, &active);
    if (hr == REGDB_E_CLASSNOTREG || hr == CO_E_CLASSSTRING) {
        Fail(command, "%s is not registered; register the module first (vantrel register)",
             provider.view_prog_id);
        return false;
    }
    if (FAILED(hr) || active.Page() == nullptr) {
        Fail(command, "cannot show the page of %s: %s", provider.view_prog_id,
             HResultExplained(hr).c_str());
        return false;
    }
    return true;
}

std::optional<std::vector<BYTE>> ReadPageBlob(const char* command, const std::string& path) {
    std::string why;
    std::optional<std::vector<BYTE>> bytes = ReadBlobFile(path, why);
    if (!bytes) {
        Fail(command, "%s", why.c_str());
    }
    return bytes;
}

int SaveViewData(const char* command, IGView* view, const std::string& path) {
    VARIANT blob;
    VariantInit(&blob);
    HRESULT hr = view->GetData(&blob);
    std::optional<std::vector<BYTE>> bytes = BlobBytes(blob);
    VariantClear(&blob);
    if (FAILED(hr) || !bytes) {
        Fail(command, "GetData gave no settings blob: %s", HResultExplained(hr).c_str());
        return kExitFailure;
    }
    std::string why;
    if (!WriteBlobFile(path, *bytes, why)) {
        Fail(command, "%s", why.c_str());
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace host
