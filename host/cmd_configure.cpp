// vantrel configure: a provider's page in the terminal, filled from a blob
// file through the view's SetData and saved through GetData.
#include <vantrel/vantrel.h>
#include <platform/vtui.h>

#include <cstdio>
#include <string>

#include "host/blob_check.h"
#include "host/blob_file.h"
#include "host/options.h"
#include "host/page_command.h"
#include "host/providers.h"
#include "host/text_convert.h"

namespace {

const char kUsage[] =
    "usage: vantrel configure PROVIDER [-i BLOB] [-o BLOB] [--force]\n"
    "                         [--registry FILE] [--module PATH]\n\n"
    "Shows PROVIDER's page in the terminal (80 x 24 or more), filled from the\n"
    "settings blob -i (refused when it does not match PROVIDER's layout field by\n"
    "field, unless --force). Tab and Shift+Tab move, Enter or Space press, F2 or Ctrl+S\n"
    "saves the page's blob to -o (or back to -i without -o), Esc cancels and\n"
    "writes nothing. The view is created through the registry: register the\n"
    "module first (vantrel register). Exit 0 when saved, 1 when cancelled or on\n"
    "an error, 2 on a usage error.\n";

struct Arguments {
    std::string provider;
    std::string input;
    std::string output;
    bool force = false;
    host::Options options;
};

int Usage(const std::string& problem) {
    return host::PageUsage("configure", problem);
}

int ParseArguments(int argc, char** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        } else if (arg == "-i" && has_value) {
            args.input = argv[++i];
        } else if (arg == "-o" && has_value) {
            args.output = argv[++i];
        } else if (arg == "--force") {
            args.force = true;
        } else if (host::TakeHostOption(argc, argv, i, args.options)) {
            continue;
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage("unknown option or missing value: " + arg);
        } else if (args.provider.empty()) {
            args.provider = arg;
        } else {
            return Usage("only one provider: " + arg);
        }
    }
    if (args.provider.empty()) {
        return Usage("a provider is needed");
    }
    if (args.input.empty() && args.output.empty()) {
        return Usage("-o BLOB (or -i BLOB to save in place) is needed");
    }
    return -1;
}

std::string DisplayName(IGView* view) {
    BSTR name = nullptr;
    std::string result = SUCCEEDED(view->GetDisplayName(&name)) ? host::Narrow(name) : "";
    SysFreeString(name);
    return result;
}

}  // namespace

int CmdConfigure(int argc, char** argv) {
    Arguments args;
    if (int code = ParseArguments(argc, argv, args); code >= 0) {
        return code;
    }
    const host::Provider* provider = host::FindProvider(args.provider);
    if (provider == nullptr) {
        return Usage("no such provider: " + args.provider);
    }
    // Read first: a page that silently starts empty would overwrite the file.
    std::optional<std::vector<BYTE>> input;
    if (!args.input.empty()) {
        input = host::ReadPageBlob("configure", args.input);
        if (!input ||
            (!args.force && !host::CheckBlob("configure", *provider, args.input, *input))) {
            return kExitFailure;
        }
    }
    host::ActiveView active;
    if (!host::ActivatePage("configure", *provider, args.options, active)) {
        return kExitFailure;
    }
    if (input) {
        host::BlobVariant blob(*input);
        active.View()->SetData(blob.Value());
    }
    const std::string title = DisplayName(active.View());
    switch (VtRunTerminal(active.Page(), title.c_str())) {
        case VT_TERMINAL_SAVED:
            return host::SaveViewData("configure", active.View(),
                                      args.output.empty() ? args.input : args.output);
        case VT_TERMINAL_CANCELLED:
            std::fputs("vantrel configure: cancelled; nothing written\n", stderr);
            return kExitFailure;
        default:
            return kExitFailure;  // the terminal said why
    }
}
