#include "host/watch/watcher.h"

#include <platform/daemon.h>
#include <vantrel/vantrel.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

#include "host/watch/sources.h"

namespace host::watch {

namespace {

std::optional<std::vector<unsigned char>> ReadSettings(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                     std::istreambuf_iterator<char>());
    if (file.bad()) {
        return std::nullopt;
    }
    return bytes;
}

std::string Who(const Profile& profile) {
    return LogField("profile", profile.name) + " " +
           LogField("provider", profile.provider->short_name);
}

double Jitter() {
    static std::mt19937 generator{std::random_device{}()};
    return std::uniform_real_distribution<double>(-1.0, 1.0)(generator);
}

}  // namespace

std::string LogField(const char* key, const std::string& value) {
    bool quote = value.empty();
    std::string text;
    for (unsigned char c : value) {
        if (c == '"' || c == '\\') {
            text += '\\';
            text += static_cast<char>(c);
            quote = true;
        } else if (c == '\n' || c == '\t') {
            text += c == '\n' ? "\\n" : "\\t";
            quote = true;
        } else if (c < 0x20 || c == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            text += escape;
            quote = true;
        } else {
            quote = quote || c == ' ';
            text += static_cast<char>(c);
        }
    }
    return std::string(key) + "=" + (quote ? "\"" + text + "\"" : text);
}

Watcher::Watcher(Config config, State state, std::string state_path, UpdateRunner runner,
                 LogSink log, DryRun dry_run)
    : m_config(std::move(config)),
      m_state(std::move(state)),
      m_state_path(std::move(state_path)),
      m_run(std::move(runner)),
      m_log(std::move(log)),
      m_dry_run(dry_run) {
    m_read_address = [this](std::string& why) {
        AddressResult result = FetchAddress(m_config.source, m_config.timeout);
        why = result.error;
        return result.address;
    };
}

void Watcher::Reload(Config config) {
    m_config = std::move(config);
    m_next_check = 0;
}

UnixTime Watcher::NextCheck() const {
    UnixTime next = m_next_check;
    for (const Profile& profile : m_config.profiles) {
        auto found = m_state.profiles.find(profile.name);
        if (found != m_state.profiles.end() && found->second.failures > 0) {
            next = std::min(next, found->second.retry_at);
        }
    }
    return next;
}

CheckSummary Watcher::Check(UnixTime now, const StopCheck& stop) {
    CheckSummary summary;
    std::string why;
    std::optional<std::string> address = m_read_address(why);
    const std::string source = LogField("source", DescribeSource(m_config.source));
    if (!address) {
        const auto wait = std::min(m_config.interval, m_config.retry.first);
        m_next_check = now + wait.count();
        m_log("check " + source + " " + LogField("error", why) +
              " retry_in=" + std::to_string(wait.count()) + "s");
        return summary;
    }
    m_next_check = now + m_config.interval.count();
    summary.address_read = true;
    m_log("check " + source + " " + LogField("address", *address));
    if (!m_last_address.empty() && m_last_address != *address) {
        m_log("change " + LogField("from", m_last_address) + " " + LogField("to", *address));
    }
    m_last_address = *address;
    bool all_current = true;
    for (const Profile& profile : m_config.profiles) {
        if (stop && stop()) {
            summary.stopped = true;
            return summary;
        }
        RunProfile(profile, *address, now, all_current);
    }
    summary.all_current = all_current;
    return summary;
}

void Watcher::RunProfile(const Profile& profile, const std::string& address, UnixTime now,
                         bool& all_current) {
    std::optional<std::vector<unsigned char>> blob = ReadSettings(profile.settings);
    if (!blob) {
        all_current = false;
        m_log("settings " + Who(profile) + " " +
              LogField("error", "cannot read " + profile.settings));
        return;
    }
    const std::string hash = SettingsHash(profile.provider->short_name, profile.proxy, *blob);
    auto found = m_state.profiles.find(profile.name);
    const ProfileState* entry = found == m_state.profiles.end() ? nullptr : &found->second;
    const Action action = Decide(entry, address, hash, now);
    if (action == Action::Current) {
        return;
    }
    if (action != Action::Send) {
        all_current = false;
        return;
    }
    if (m_dry_run == DryRun::Yes) {
        all_current = false;
        m_log("would-update " + Who(profile) + " " + LogField("address", address));
        return;
    }
    const Outcome outcome = m_run(profile, *blob, address);
    ProfileState& state = m_state.profiles[profile.name];
    state.provider = profile.provider->short_name;
    RecordOutcome(state, outcome, address, hash, now, m_config.retry, Jitter());
    all_current = all_current && outcome.status == VANTREL_STATUS_ACCEPTED;
    m_log("update " + Who(profile) + " " + LogField("address", address) +
          " status=" + std::to_string(outcome.status) + " " +
          LogField("meaning", StatusMeaning(outcome.status)) + " " +
          LogField("message", outcome.message));
    Save();
    if (outcome.status == VANTREL_STATUS_SERVICE_ERROR) {
        m_log("refused " + Who(profile) + " " + LogField("address", address) +
              " not retried until the address or the settings change");
    } else if (state.failures > 0) {
        m_log("backoff " + Who(profile) + " " + LogField("address", address) +
              " failures=" + std::to_string(state.failures) +
              " retry_in=" + std::to_string(state.retry_at - now) + "s");
    }
}

void Watcher::Save() {
    const std::string text = FormatState(m_state);
    // Private: the settings hashes are derived from passwords.
    if (VtReplaceFile(m_state_path.c_str(), text.data(), static_cast<DWORD>(text.size()), 0600) !=
        VT_DAEMON_OK) {
        m_log("state " + LogField("error", "cannot write " + m_state_path));
    }
}

}  // namespace host::watch
