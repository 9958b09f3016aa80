// vantrel watch: keeps the profiles' records current. Reads the address
// from the configured source every interval, runs each profile's updater
// when its address or settings changed since the service last accepted
// one, retries failures with a backoff, and keeps what it did in a state
// file so that a restart sends nothing twice.
#include <platform/daemon.h>
#include <platform/winsock.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/options.h"
#include "host/providers.h"
#include "host/updater_run.h"
#include "host/watch/paths.h"
#include "host/watch/sources.h"
#include "host/watch/watcher.h"

namespace {

using namespace host::watch;

const char kUsage[] =
    "usage: vantrel watch --config FILE [--state FILE] [--once] [--dry-run] [--reset-state]\n"
    "                     [--registry FILE] [--module PATH]\n\n"
    "Keeps the records of the profiles in FILE current: reads the machine's address\n"
    "from the configured source every interval and runs a profile's updater when the\n"
    "address or its settings differ from what the service last accepted. A refusal\n"
    "(status 4) is not repeated for the same address and settings; a failure (status\n"
    "1 or 3) is retried after a backoff. One line per event on stderr.\n\n"
    "  --state FILE    the state file (default: $STATE_DIRECTORY/state.json, else\n"
    "                  ~/.local/state/vantrel/watch-state.json)\n"
    "  --once          one check, then exit: 0 when every profile is current, else 1\n"
    "  --dry-run       say what would be sent; send nothing, write no state\n"
    "  --reset-state   start from an empty state when the state file is unreadable\n\n"
    "SIGHUP rereads FILE (a bad file is logged and the running config kept);\n"
    "SIGTERM or SIGINT stop after the update in hand. Exit 0 on a stop, 1 on a\n"
    "runtime failure, 2 on a usage error or a bad config (naming file and line).\n";

struct Arguments {
    std::string config;
    std::string state;
    bool once = false;
    bool dry_run = false;
    bool reset_state = false;
    host::Options options;
};

int Usage(const std::string& problem) {
    host::Fail("watch", "%s (see vantrel watch --help)", problem.c_str());
    return kExitUsage;
}

bool TakesValue(std::string_view name) {
    return name == "--config" || name == "--state" || name == "--registry" || name == "--module";
}

// -1 when the arguments are fine, else the exit code.
int ParseArguments(int argc, char** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        host::Argument argument;
        if (const host::ArgumentError error =
                host::NextArgument(argc, argv, i, TakesValue, argument);
            error != host::ArgumentError::None) {
            return Usage(host::DescribeArgumentError(error, argument));
        }
        const std::string& arg = argument.name;
        const std::string& value = argument.value;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        std::string* target = arg == "--config"     ? &args.config
                              : arg == "--state"    ? &args.state
                              : arg == "--registry" ? &args.options.registry
                              : arg == "--module"   ? &args.options.module
                                                    : nullptr;
        bool* flag = arg == "--once"          ? &args.once
                     : arg == "--dry-run"     ? &args.dry_run
                     : arg == "--reset-state" ? &args.reset_state
                                              : nullptr;
        if (target != nullptr) {
            *target = value;
        } else if (flag != nullptr) {
            *flag = true;
        } else {
            return Usage("unknown argument: " + arg);
        }
    }
    if (args.config.empty()) {
        return Usage("--config FILE is needed");
    }
    if (args.state.empty()) {
        args.state = DefaultStatePath();
    }
    return -1;
}

void Log(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

UnixTime Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

ConfigResult ReadConfig(const std::string& path) {
    return LoadConfig(path, [](std::string_view key) { return host::FindProvider(key); });
}

// nullopt after saying why the state file cannot be used.
std::optional<State> LoadStateFile(const Arguments& args) {
    std::ifstream file(args.state, std::ios::binary);
    if (!file) {
        if (std::filesystem::exists(args.state)) {
            host::Fail("watch", "cannot read the state file %s", args.state.c_str());
            return std::nullopt;
        }
        return State{};
    }
    std::stringstream text;
    text << file.rdbuf();
    StateResult result = ParseState(text.str());
    if (result.state) {
        return std::move(*result.state);
    }
    if (args.reset_state) {
        Log("state " + LogField("file", args.state) + " " + LogField("refused", result.error) +
            " starting from an empty state (--reset-state)");
        return State{};
    }
    host::Fail("watch",
               "the state file %s is unusable: %s; move it away or start with --reset-state",
               args.state.c_str(), result.error.c_str());
    return std::nullopt;
}

// The module's updater, run as `vantrel update` runs it.
UpdateRunner RealRunner(const host::Options& options) {
    return [options](const Profile& profile, const std::vector<unsigned char>& blob,
                     const std::string& address) {
        std::string why;
        host::UpdaterPtr updater = host::CreateUpdater(*profile.provider, options, why);
        std::optional<host::UpdateResult> result;
        if (updater) {
            host::UpdateRequest request;
            request.blob = &blob;
            request.proxy = profile.has_proxy ? &profile.proxy : nullptr;
            request.address = address;
            result = host::RunUpdater(*updater, *profile.provider, request, why);
        }
        // A host-side failure is a try not carried out: retried later.
        return result ? Outcome{result->status, result->message}
                      : Outcome{VANTREL_STATUS_NOT_DONE, why};
    };
}

void Reload(Watcher& watcher, const std::string& path) {
    ConfigResult loaded = ReadConfig(path);
    if (!loaded.config) {
        Log("reload " + LogField("error", loaded.error.Text()) + " keeping the running config");
        return;
    }
    watcher.Reload(std::move(*loaded.config));
    Log("reload " + LogField("config", path) +
        " profiles=" + std::to_string(watcher.CurrentConfig().profiles.size()));
}

int Serve(Watcher& watcher, const Arguments& args) {
    bool reload = false;
    auto stop_requested = [&reload]() {
        VtSignal signal = VtWaitSignal(0);
        reload = reload || signal == VT_SIGNAL_RELOAD;
        return signal == VT_SIGNAL_STOP;
    };
    for (;;) {
        if (reload) {
            reload = false;
            Reload(watcher, args.config);
        }
        const UnixTime now = Now();
        const UnixTime next = watcher.NextCheck();
        if (now < next) {
            // Capped so that a wall clock set back or forward is noticed.
            const auto wait = std::min<UnixTime>(next - now, 60) * 1000;
            const VtSignal signal = VtWaitSignal(static_cast<DWORD>(wait));
            if (signal == VT_SIGNAL_STOP) {
                break;
            }
            reload = signal == VT_SIGNAL_RELOAD;
            continue;
        }
        const CheckSummary summary = watcher.Check(now, stop_requested);
        if (summary.stopped) {
            break;
        }
        if (args.once) {
            return summary.all_current ? kExitOk : kExitFailure;
        }
    }
    Log("stop");
    return kExitOk;
}

}  // namespace

int CmdWatch(int argc, char** argv) {
    Arguments args;
    if (int code = ParseArguments(argc, argv, args); code >= 0) {
        return code;
    }
    // Before any thread exists, so that every thread leaves the signals to us.
    if (VtCatchSignals() != VT_DAEMON_OK || !StartUrlSource()) {
        host::Fail("watch", "cannot set up signals or the URL fetcher");
        return kExitFailure;
    }
    ConfigResult loaded = ReadConfig(args.config);
    if (!loaded.config) {
        host::Fail("watch", "%s", loaded.error.Text().c_str());
        return kExitUsage;
    }
    std::optional<State> state = LoadStateFile(args);
    if (!state) {
        return kExitFailure;
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(args.state).parent_path(), ignored);
    if (!host::SelectRegistry(args.options, "watch") || FAILED(CoInitialize(nullptr))) {
        return kExitFailure;
    }
    // Started for the whole run, as `vantrel update` has it: the Windows DNS
    // server provider relies on its host for that.
    WSADATA sockets{};
    const bool sockets_started = WSAStartup(MAKEWORD(2, 2), &sockets) == 0;
    int exit_code = kExitFailure;
    {
        Watcher watcher(std::move(*loaded.config), std::move(*state), args.state,
                        RealRunner(args.options), Log, args.dry_run ? DryRun::Yes : DryRun::No);
        exit_code = Serve(watcher, args);
    }
    if (sockets_started) {
        WSACleanup();
    }
    CoUninitialize();
    return exit_code;
}
