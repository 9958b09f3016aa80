// vantrel status: what `vantrel watch` last did for each profile, read from
// its state file.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "host/options.h"
#include "host/watch/decision.h"
#include "host/watch/paths.h"
#include "host/watch/state.h"

namespace {

using namespace host::watch;

const char kUsage[] =
    "usage: vantrel status [--state FILE] [--json]\n\n"
    "Prints the last outcome of each profile of `vantrel watch` as a table:\n"
    "profile, provider, address, status, when (UTC) and message. --json prints the\n"
    "state file itself. FILE defaults as for vantrel watch. Exit 1 when there is no\n"
    "usable state file.\n";

// One line per cell: tabs and line breaks of service replies become spaces.
std::string Flat(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t') {
            c = ' ';
        }
    }
    return text;
}

void PrintTable(const State& state) {
    std::vector<std::vector<std::string>> rows = {
        {"PROFILE", "PROVIDER", "ADDRESS", "STATUS", "WHEN", "MESSAGE"}};
    for (const auto& [name, entry] : state.profiles) {
        rows.push_back({name, entry.provider, entry.address,
                        std::to_string(entry.status) + " " + StatusMeaning(entry.status),
                        entry.time == 0 ? "-" : FormatTime(entry.time), Flat(entry.message)});
    }
    std::vector<size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) {
                line += std::string(widths[i] - row[i].size() + 2, ' ');
            }
        }
        std::printf("%s\n", line.c_str());
    }
}

}  // namespace

int CmdStatus(int argc, char** argv) {
    std::string path;
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--state" && i + 1 < argc) {
            path = argv[++i];
        } else if (arg.rfind("--state=", 0) == 0) {
            path = arg.substr(8);
        } else {
            host::Fail("status", "unknown argument: %s (see vantrel status --help)", arg.c_str());
            return kExitUsage;
        }
    }
    if (path.empty()) {
        path = DefaultStatePath();
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        host::Fail("status", "no state file %s (vantrel watch writes it)", path.c_str());
        return kExitFailure;
    }
    std::stringstream text;
    text << file.rdbuf();
    StateResult result = ParseState(text.str());
    if (!result.state) {
        host::Fail("status", "the state file %s is unusable: %s", path.c_str(),
                   result.error.c_str());
        return kExitFailure;
    }
    if (json) {
        std::fputs(FormatState(*result.state).c_str(), stdout);
    } else {
        PrintTable(*result.state);
    }
    return kExitOk;
}
