// What the watch remembers across restarts, per profile: the last outcome
// and the last accepted update. Kept as JSON:
//
//   {"version": 1, "profiles": {"home": {"provider": "dyfi",
//     "address": "198.51.100.7", "status": 2, "message": "...",
//     "time": "2026-12-06T01:00:00Z", "settings_hash": "fnv1a64:...",
//     "accepted_address": "198.51.100.7", "accepted_settings_hash": "...",
//     "failures": 0, "retry_at": null}}}
//
// A file of a later version is refused rather than half understood.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace host::watch {

constexpr int kStateVersion = 1;

// Wall-clock seconds since 1970, UTC.
using UnixTime = std::int64_t;

struct ProfileState {
    std::string provider;
    // The last outcome.
    std::string address;
    int status = 0;
    std::string message;
    UnixTime time = 0;
    std::string settings_hash;
    // The last update the service accepted (status 2).
    std::string accepted_address;
    std::string accepted_settings_hash;
    // Failed tries (status 1 or 3) in a row for address and settings_hash,
    // and when the next may go.
    int failures = 0;
    UnixTime retry_at = 0;
};

struct State {
    std::map<std::string, ProfileState> profiles;
};

struct StateResult {
    std::optional<State> state;
    std::string error;  // why the text was refused
};

StateResult ParseState(std::string_view text);
std::string FormatState(const State& state);

// "2026-12-06T01:00:00Z"; ParseTime takes exactly that form back.
std::string FormatTime(UnixTime time);
std::optional<UnixTime> ParseTime(std::string_view text);

// Identifies a profile's settings without keeping them: provider, proxy and
// the blob's bytes. Not a secret-keeping hash; the state file is private.
std::string SettingsHash(std::string_view provider, std::string_view proxy,
                         std::span<const unsigned char> blob);

}  // namespace host::watch
