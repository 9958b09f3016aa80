// vantrel update: one run of a provider's updater, driven as a host drives
// it: create through the registry, InitData (optional), SetData, SetProxy
// (optional), DoEntryPoint, then the status and the message.
#include <vantrel/vantrel.h>

#include <platform/winsock.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/blob_check.h"
#include "host/blob_file.h"
#include "host/connect_to.h"
#include "host/module_loading.h"
#include "host/net_failure.h"
#include "host/options.h"
#include "host/providers.h"
#include "host/text_convert.h"
#include "host/updater_run.h"
#include "host/watch/decision.h"

namespace {

const char kUsage[] =
    "usage: vantrel update PROVIDER --settings BLOB --ip ADDR [--proxy HOST:PORT]\n"
    "                      [--connect-to HOST:PORT:HOST2:PORT2]... [--init] [--json] [--force]\n"
    "                      [--registry FILE] [--module PATH]\n\n"
    "Runs one update of PROVIDER's updater with the settings blob in the file BLOB\n"
    "(as `vantrel settings` writes it) and prints the status with its meaning, the\n"
    "message and the HRESULT (--json: one object with status, meaning, message and\n"
    "hresult). The updater is created through the registry: register the module\n"
    "first with `vantrel register`. --proxy is handed to SetProxy as it is;\n"
    "--connect-to sends connections for HOST:PORT to HOST2:PORT2 instead (this\n"
    "process only; an empty HOST or PORT matches any); --module names the module\n"
    "in the hint when the class is not registered. A blob that does not match\n"
    "PROVIDER's layout field by field is refused and nothing is sent, unless\n"
    "--force hands it over as it is. The socket library is started for the\n"
    "run, as a host has it started (a DNS server given by name is resolved\n"
    "through it). Exit 0 when the status is 2 (update accepted), 1 otherwise,\n"
    "2 on a usage error.\n";

struct Arguments {
    std::string provider;
    std::string settings;
    std::string address;
    std::string proxy;
    bool has_address = false;
    bool has_proxy = false;
    bool init = false;
    bool json = false;
    bool force = false;
    host::Options options;
};

int Usage(const char* problem, const std::string& detail = "") {
    host::Fail("update", "%s%s (see vantrel update --help)", problem, detail.c_str());
    return kExitUsage;
}

// The options that take a value, as "--name VALUE" or "--name=VALUE".
bool TakesValue(std::string_view name) {
    return name == "--settings" || name == "--ip" || name == "--proxy" || name == "--connect-to" ||
           name == "--registry" || name == "--module";
}

// Four decimal parts of 0 to 255, without signs, spaces or leading zeros
// (which some tools read as octal). The module would pass anything on to
// the service as it is.
bool IsDottedIPv4(std::string_view text) {
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text[0] != '.')
                return false;
            text.remove_prefix(1);
        }
        size_t digits = 0;
        unsigned value = 0;
        while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[digits] - '0');
            ++digits;
        }
        if (digits == 0 || value > 255 || (digits > 1 && text[0] == '0'))
            return false;
        text.remove_prefix(digits);
    }
    return text.empty();
}

// Returns -1 when the arguments are fine, else the exit code.
int ParseArguments(int argc, char** argv, Arguments& args) {
    bool has_settings = false;
    for (int i = 1; i < argc; ++i) {
        host::Argument argument;
        if (const host::ArgumentError error =
                host::NextArgument(argc, argv, i, TakesValue, argument);
            error != host::ArgumentError::None) {
            return Usage(host::DescribeArgumentError(error, argument).c_str());
        }
        const std::string& arg = argument.name;
        const std::string& value = argument.value;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        } else if (arg == "--init") {
            args.init = true;
        } else if (arg == "--json") {
            args.json = true;
        } else if (arg == "--force") {
            args.force = true;
        } else if (arg == "--settings") {
            args.settings = value;
            has_settings = true;
        } else if (arg == "--ip") {
            args.address = value;
            args.has_address = true;
        } else if (arg == "--proxy") {
            args.proxy = value;
            args.has_proxy = true;
        } else if (arg == "--connect-to") {
            if (!host::AddConnectTo(value)) {
                return Usage("--connect-to wants HOST:PORT:HOST2:PORT2, not ", value);
            }
        } else if (arg == "--registry") {
            args.options.registry = value;
        } else if (arg == "--module") {
            args.options.module = value;
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage("unknown option: ", arg);
        } else if (args.provider.empty()) {
            args.provider = arg;
        } else {
            return Usage("only one provider: ", arg);
        }
    }
    if (args.provider.empty()) {
        return Usage("a provider is needed");
    }
    if (!has_settings || !args.has_address) {
        return Usage("--settings and --ip are needed");
    }
    if (!IsDottedIPv4(args.address)) {
        return Usage("--ip wants a dotted IPv4 address such as 203.0.113.7, not ",
                     "'" + args.address + "'");
    }
    return -1;
}

// Later lines of a multi-line message line up under the first, and the
// service's answers, which follow a tab after each host name, in one column.
// --json keeps the message as the module wrote it.
std::string LaidOut(std::string_view message) {
    std::vector<std::string_view> lines;
    for (size_t start = 0;;) {
        size_t end = message.find('\n', start);
        lines.push_back(message.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    size_t column = 0;
    for (std::string_view line : lines) {
        if (size_t tab = line.find('\t'); tab != std::string_view::npos) {
            column = std::max(column, tab);
        }
    }
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (i > 0) {
            out += "\n         ";
        }
        size_t tab = line.find('\t');
        if (tab == std::string_view::npos) {
            out += line;
            continue;
        }
        std::string answer(line.substr(tab + 1));
        std::replace(answer.begin(), answer.end(), '\t', ' ');
        out += line.substr(0, tab);
        if (!answer.empty()) {
            out += std::string(column - tab + 1, ' ') + answer;
        }
    }
    return out;
}

// One line with the keys in this order, ", " and ": " between them, as
// scripts read it; nlohmann-json escapes the values.
std::string JsonLine(const nlohmann::ordered_json& object) {
    std::string line = "{";
    for (const auto& [key, value] : object.items()) {
        line += (line.size() > 1 ? ", " : "") + nlohmann::json(key).dump() + ": " +
                value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    }
    return line + "}";
}

// A run not carried out with no message of the module's says nothing; the
// platform's last network failure, when there is one, says why.
void PrintOutcome(const Arguments& args, const host::UpdateResult& outcome) {
    const char* meaning = host::watch::StatusMeaning(outcome.status);
    const std::string reason = outcome.status == VANTREL_STATUS_NOT_DONE && outcome.message.empty()
                                   ? host::NetFailureReason()
                                   : std::string();
    if (args.json) {
        nlohmann::ordered_json object = {{"status", outcome.status},
                                         {"meaning", meaning},
                                         {"message", outcome.message},
                                         {"hresult", host::HResultText(outcome.hr)}};
        if (!reason.empty()) {
            object["reason"] = reason;
        }
        std::printf("%s\n", JsonLine(object).c_str());
        return;
    }
    std::printf("status:  %d (%s)\nmessage: %s\nhresult: %s\n", outcome.status, meaning,
                LaidOut(outcome.message).c_str(), host::HResultName(outcome.hr).c_str());
    if (!reason.empty()) {
        std::printf("reason:  %s\n", reason.c_str());
    }
}

}  // namespace

int CmdUpdate(int argc, char** argv) {
    Arguments args;
    if (int code = ParseArguments(argc, argv, args); code >= 0) {
        return code;
    }
    const host::Provider* provider = host::FindProvider(args.provider);
    if (provider == nullptr) {
        return Usage("no such provider: ", args.provider);
    }
    // Read before anything runs: a run with empty settings would only
    // mislead.
    std::string why;
    std::optional<std::vector<BYTE>> bytes = host::ReadBlobFile(args.settings, why);
    if (!bytes) {
        host::Fail("update", "settings: %s", why.c_str());
        return kExitFailure;
    }
    if (!args.force && !host::CheckBlob("update", *provider, args.settings, *bytes)) {
        return kExitFailure;
    }
    if (!host::SelectRegistry(args.options, "update") || FAILED(CoInitialize(nullptr))) {
        return kExitFailure;
    }
    // Started for the whole run, as a real host has it started: the
    // Windows DNS server provider resolves a server given by name through
    // gethostbyname and does not start the socket library itself.
    WSADATA sockets{};
    const bool sockets_started = WSAStartup(MAKEWORD(2, 2), &sockets) == 0;
    int exit_code = kExitFailure;
    host::UpdaterPtr updater = host::CreateUpdater(*provider, args.options, why);
    std::optional<host::UpdateResult> outcome;
    if (updater) {
        host::UpdateRequest request;
        request.blob = &*bytes;
        request.proxy = args.has_proxy ? &args.proxy : nullptr;
        request.address = args.address;
        request.init = args.init;
        outcome = host::RunUpdater(*updater, *provider, request, why);
    }
    if (outcome) {
        PrintOutcome(args, *outcome);
        exit_code = outcome->status == VANTREL_STATUS_ACCEPTED ? kExitOk : kExitFailure;
    } else {
        host::Fail("update", "%s", why.c_str());
    }
    updater.reset();  // before the runtime and the sockets go
    if (sockets_started) {
        WSACleanup();
    }
    CoUninitialize();
    return exit_code;
}
