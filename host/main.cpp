// vantrel: the reference host of the provider module.
//
// Exit codes: 0 success, 1 failure, 2 usage error. Errors are one line on
// stderr. Each command lives in its own cmd_<name>.cpp; a command whose file
// is not part of this build says so.
#include "host/commands.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

// Weak, so a command exists exactly when its file is linked in.
#define VT_COMMAND(fn) __attribute__((weak)) int fn(int argc, char** argv);
VT_COMMAND(CmdList)
VT_COMMAND(CmdRegister)
VT_COMMAND(CmdUnregister)
VT_COMMAND(CmdInfo)
VT_COMMAND(CmdConfigure)
VT_COMMAND(CmdSettings)
VT_COMMAND(CmdHttp)
VT_COMMAND(CmdUpdate)
VT_COMMAND(CmdWatch)
VT_COMMAND(CmdStatus)
#undef VT_COMMAND

namespace {

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* summary;
};

const Command kCommands[] = {
    {"list", CmdList, "list the providers"},
    {"register", CmdRegister, "register the module's classes into the registry hive"},
    {"unregister", CmdUnregister, "remove the module's classes from the registry hive"},
    {"info", CmdInfo, "show the module's name, version and path"},
    {"configure", CmdConfigure, "edit a provider's settings on its page in the terminal"},
    {"settings", CmdSettings, "write, show or dump a settings blob without a screen"},
    {"update", CmdUpdate, "run one update of a provider"},
    {"watch", CmdWatch, "keep the profiles' records current as the address changes"},
    {"status", CmdStatus, "show what vantrel watch last did for each profile"},
    {"http", CmdHttp, "send one GET with the module's HTTP client"},
};

// Whatever a command throws (out of memory most of all) ends as any other
// failure: one line and exit 1, never an abort.
int RunGuarded(const Command& command, int argc, char** argv) {
    try {
        return command.run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vantrel %s: out of memory\n", command.name);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vantrel %s: %s\n", command.name, error.what());
    }
    return kExitFailure;
}

void PrintUsage(FILE* out) {
    std::fprintf(out, "usage: vantrel COMMAND [ARGS...]   (vantrel COMMAND --help for more)\n\n");
    for (const Command& c : kCommands) {
        if (c.run != nullptr) {
            std::fprintf(out, "  %-11s %s\n", c.name, c.summary);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        PrintUsage(stdout);
        return kExitOk;
    }
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) == 0 && c.run != nullptr) {
            return RunGuarded(c, argc - 1, argv + 1);
        }
    }
    std::fprintf(stderr, "vantrel: unknown command '%s' (see vantrel --help)\n", argv[1]);
    return kExitUsage;
}
