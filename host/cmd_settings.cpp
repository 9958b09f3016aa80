// vantrel settings: a provider's page driven without a screen. Writes the
// blob of GetData after putting key=value settings on the page, shows a
// blob read back through the page, or dumps a blob's bytes field by field.
#include <vantrel/vantrel.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/blob_check.h"
#include "host/blob_dump.h"
#include "host/blob_file.h"
#include "host/options.h"
#include "host/page_command.h"
#include "host/page_driver.h"
#include "host/providers.h"

namespace {

const char kUsage[] =
    "usage: vantrel settings PROVIDER key=value ... -o BLOB\n"
    "       vantrel settings PROVIDER --show BLOB [--reveal] [--force]\n"
    "       vantrel settings PROVIDER --dump BLOB\n"
    "       vantrel settings PROVIDER --help\n"
    "options: [--registry FILE] [--module PATH]\n\n"
    "Puts the settings on PROVIDER's page as a person would (typing, \"Add\" once\n"
    "per host=, check boxes, radio buttons, combo entries, the page's dialogs)\n"
    "and writes the page's settings blob to BLOB. --show reads BLOB back through\n"
    "the page, one key=value per line, passwords masked unless --reveal; a BLOB\n"
    "that does not match PROVIDER's layout field by field is refused unless\n"
    "--force. --dump annotates BLOB's bytes field by field and marks where it\n"
    "stops matching. The view is created through the\n"
    "registry: register the module first (vantrel register). PROVIDER is a short\n"
    "name (any case), a provider ID or a ProgID; `vantrel settings PROVIDER\n"
    "--help` lists its keys.\n\n"
    "providers: dipdns dnsexit dyfi dynam dynup eurodyndns linuxrc gnudip win2000\n";

enum class Mode { Write, Show, Dump };

struct Arguments {
    std::string provider;
    std::vector<std::pair<std::string, std::string>> settings;
    std::string file;
    Mode mode = Mode::Write;
    bool has_file = false;
    bool reveal = false;
    bool force = false;
    bool help = false;
    host::Options options;
};

int Usage(const std::string& problem) {
    return host::PageUsage("settings", problem);
}

// -1 when the arguments are fine, else the exit code.
int ParseArguments(int argc, char** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        auto take_file = [&](Mode mode) {
            if (args.has_file) {
                return false;
            }
            args.mode = mode;
            args.file = argv[++i];
            args.has_file = true;
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            args.help = true;
        } else if (arg == "--reveal") {
            args.reveal = true;
        } else if (arg == "--force") {
            args.force = true;
        } else if ((arg == "-o" || arg == "--output") && has_value) {
            if (!take_file(Mode::Write)) return Usage("only one of -o, --show and --dump");
        } else if (arg == "--show" && has_value) {
            if (!take_file(Mode::Show)) return Usage("only one of -o, --show and --dump");
        } else if (arg == "--dump" && has_value) {
            if (!take_file(Mode::Dump)) return Usage("only one of -o, --show and --dump");
        } else if (host::TakeHostOption(argc, argv, i, args.options)) {
            continue;
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage("unknown option or missing value: " + arg);
        } else if (args.provider.empty()) {
            args.provider = arg;
        } else if (size_t equals = arg.find('='); equals != std::string::npos) {
            args.settings.emplace_back(arg.substr(0, equals), arg.substr(equals + 1));
        } else {
            return Usage("expected key=value, not '" + arg + "'");
        }
    }
    return -1;
}

void PrintKeys(const host::Provider& provider) {
    std::printf("usage: vantrel settings %s key=value ... -o BLOB\n\nkeys of %s (%s):\n",
                provider.short_name, provider.short_name, provider.view_prog_id);
    for (const host::SettingKey& key : host::KeysOf(provider)) {
        std::printf("  %-10s %s\n", key.name, key.help);
    }
}

const host::SettingKey* FindKey(const host::Provider& provider, const std::string& name) {
    for (const host::SettingKey& key : host::KeysOf(provider)) {
        if (name == key.name) {
            return &key;
        }
    }
    return nullptr;
}

// Every key known, every value one the page can take, single keys once.
int CheckSettings(const host::Provider& provider, const Arguments& args) {
    std::map<std::string, int> seen;
    for (const auto& [name, value] : args.settings) {
        const host::SettingKey* key = FindKey(provider, name);
        if (key == nullptr) {
            return Usage("unknown key '" + name + "' for " + provider.short_name);
        }
        if (++seen[name] > 1 && key->control != host::Control::HostList) {
            return Usage("key '" + name + "' given twice");
        }
        if (auto why = host::CheckValue(*key, value)) {
            return Usage("key '" + name + "': " + *why);
        }
    }
    return -1;
}

int WriteSettings(const host::Provider& provider, const Arguments& args) {
    host::ActiveView active;
    if (!host::ActivatePage("settings", provider, args.options, active)) {
        return kExitFailure;
    }
    for (const auto& [name, value] : args.settings) {
        host::ApplyValue(active.Page(), *FindKey(provider, name), value);
    }
    return host::SaveViewData("settings", active.View(), args.file);
}

int ShowSettings(const host::Provider& provider, const Arguments& args,
                 const std::vector<BYTE>& bytes) {
    host::ActiveView active;
    if (!host::ActivatePage("settings", provider, args.options, active)) {
        return kExitFailure;
    }
    host::BlobVariant blob(bytes);
    if (!blob.IsValid()) {
        host::Fail("settings", "out of memory for the settings blob");
        return kExitFailure;
    }
    active.View()->SetData(blob.Value());
    for (const host::SettingKey& key : host::KeysOf(provider)) {
        std::vector<std::string> values = host::ReadValues(active.Page(), key);
        if (values.empty() && key.control != host::Control::HostList) {
            values.emplace_back();  // nothing selected
        }
        for (const std::string& value : values) {
            const bool mask = key.secrecy == host::Secrecy::Masked && !args.reveal && !value.empty();
            std::printf("%s=%s\n", key.name, mask ? "********" : value.c_str());
        }
    }
    return kExitOk;
}

}  // namespace

int CmdSettings(int argc, char** argv) {
    Arguments args;
    if (int code = ParseArguments(argc, argv, args); code >= 0) {
        return code;
    }
    if (args.provider.empty()) {
        if (args.help) {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        return Usage("a provider is needed");
    }
    const host::Provider* provider = host::FindProvider(args.provider);
    if (provider == nullptr) {
        return Usage("no such provider: " + args.provider);
    }
    if (args.help) {
        PrintKeys(*provider);
        return kExitOk;
    }
    if (!args.has_file) {
        return Usage("-o BLOB, --show BLOB or --dump BLOB is needed");
    }
    if (args.mode != Mode::Write && !args.settings.empty()) {
        return Usage("key=value settings go only with -o");
    }
    if (args.mode == Mode::Write) {
        if (int code = CheckSettings(*provider, args); code >= 0) {
            return code;
        }
        return WriteSettings(*provider, args);
    }
    std::optional<std::vector<BYTE>> bytes = host::ReadPageBlob("settings", args.file);
    if (!bytes) {
        return kExitFailure;
    }
    if (args.mode == Mode::Dump) {
        std::fputs(host::DumpBlob(host::LayoutOf(*provider), *bytes).c_str(), stdout);
        return kExitOk;
    }
    if (!args.force && !host::CheckBlob("settings", *provider, args.file, *bytes)) {
        return kExitFailure;
    }
    return ShowSettings(*provider, args, *bytes);
}
