// The watch's checks: read the address, then for each profile decide, run
// its updater when needed, record the outcome and save the state, logging
// one line per event. The updater and the clock come from outside, so the
// decisions can be driven without a module or a network.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/watch/config.h"
#include "host/watch/decision.h"
#include "host/watch/state.h"

namespace host::watch {

using UpdateRunner = std::function<Outcome(const Profile& profile,
                                           const std::vector<unsigned char>& blob,
                                           const std::string& address)>;
using LogSink = std::function<void(const std::string& line)>;
// Whether to stop before the next profile.
using StopCheck = std::function<bool()>;
// Where the address comes from; FetchAddress outside tests.
using AddressReader = std::function<std::optional<std::string>(std::string& why)>;

enum class DryRun { No, Yes };

struct CheckSummary {
    bool address_read = false;
    // Every profile has its current address at its service.
    bool all_current = false;
    bool stopped = false;
};

class Watcher {
public:
    Watcher(Config config, State state, std::string state_path, UpdateRunner runner,
            LogSink log, DryRun dry_run);

    void SetAddressReader(AddressReader reader) { m_read_address = std::move(reader); }
    void Reload(Config config);
    const Config& CurrentConfig() const { return m_config; }
    const State& CurrentState() const { return m_state; }

    CheckSummary Check(UnixTime now, const StopCheck& stop);
    // When the next check is due: the interval after the last one, sooner
    // for a retry or after a source that failed.
    UnixTime NextCheck() const;

private:
    void RunProfile(const Profile& profile, const std::string& address, UnixTime now,
                    bool& all_current);
    void Save();

    Config m_config;
    State m_state;
    std::string m_state_path;
    UpdateRunner m_run;
    LogSink m_log;
    DryRun m_dry_run;
    AddressReader m_read_address;
    std::string m_last_address;
    UnixTime m_next_check = 0;
};

// "key=value" with the value quoted when it holds a space, a quote or a
// control character; control characters as escapes, so one event stays one
// line whatever a service answers.
std::string LogField(const char* key, const std::string& value);

}  // namespace host::watch
