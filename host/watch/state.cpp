#include "host/watch/state.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdio>

namespace host::watch {

namespace {

using nlohmann::json;

// A field of the expected JSON type, or absent (the default stays).
// Returns false when present with another type.
template <typename T>
bool ReadField(const json& object, const char* key, T& out) {
    auto found = object.find(key);
    if (found == object.end() || found->is_null()) {
        return true;
    }
    if constexpr (std::is_same_v<T, std::string>) {
        if (!found->is_string()) {
            return false;
        }
    } else {
        if (!found->is_number_integer()) {
            return false;
        }
    }
    out = found->get<T>();
    return true;
}

bool ReadTime(const json& object, const char* key, UnixTime& out) {
    std::string text;
    if (!ReadField(object, key, text)) {
        return false;
    }
    if (text.empty()) {
        return true;
    }
    std::optional<UnixTime> time = ParseTime(text);
    if (time) {
        out = *time;
    }
    return time.has_value();
}

std::optional<ProfileState> ReadProfile(const json& object) {
    ProfileState entry;
    if (!object.is_object() || !ReadField(object, "provider", entry.provider) ||
        !ReadField(object, "address", entry.address) ||
        !ReadField(object, "status", entry.status) ||
        !ReadField(object, "message", entry.message) || !ReadTime(object, "time", entry.time) ||
        !ReadField(object, "settings_hash", entry.settings_hash) ||
        !ReadField(object, "accepted_address", entry.accepted_address) ||
        !ReadField(object, "accepted_settings_hash", entry.accepted_settings_hash) ||
        !ReadField(object, "failures", entry.failures) ||
        !ReadTime(object, "retry_at", entry.retry_at) || entry.failures < 0) {
        return std::nullopt;
    }
    return entry;
}

json TimeValue(UnixTime time) {
    return time == 0 ? json(nullptr) : json(FormatTime(time));
}

}  // namespace

StateResult ParseState(std::string_view text) {
    StateResult result;
    const json root = json::parse(text, nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        result.error = "not a JSON object";
        return result;
    }
    auto version = root.find("version");
    if (version == root.end() || !version->is_number_integer() || version->get<long long>() < 1) {
        result.error = "no version number";
        return result;
    }
    if (version->get<long long>() > kStateVersion) {
        result.error = "written by a later vantrel (version " + version->dump() +
                       ", this one reads " + std::to_string(kStateVersion) + ")";
        return result;
    }
    auto profiles = root.find("profiles");
    if (profiles == root.end() || !profiles->is_object()) {
        result.error = "no \"profiles\" object";
        return result;
    }
    State state;
    for (const auto& [name, value] : profiles->items()) {
        std::optional<ProfileState> entry = ReadProfile(value);
        if (!entry) {
            result.error = "profile \"" + name + "\" is malformed";
            return result;
        }
        state.profiles.emplace(name, std::move(*entry));
    }
    result.state = std::move(state);
    return result;
}

std::string FormatState(const State& state) {
    json profiles = json::object();
    for (const auto& [name, entry] : state.profiles) {
        profiles[name] = {
            {"provider", entry.provider},
            {"address", entry.address},
            {"status", entry.status},
            {"message", entry.message},
            {"time", TimeValue(entry.time)},
            {"settings_hash", entry.settings_hash},
            {"accepted_address", entry.accepted_address},
            {"accepted_settings_hash", entry.accepted_settings_hash},
            {"failures", entry.failures},
            {"retry_at", TimeValue(entry.retry_at)},
        };
    }
    json root = {{"version", kStateVersion}, {"profiles", std::move(profiles)}};
    // Messages are service replies in the ANSI code page: replace, never throw.
    return root.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

std::string FormatTime(UnixTime time) {
    using namespace std::chrono;
    const sys_seconds point{seconds(time)};
    const sys_days day = floor<days>(point);
    const year_month_day date(day);
    const hh_mm_ss<seconds> clock(point - day);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02ld:%02ld:%02lldZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<long>(clock.hours().count()),
                  static_cast<long>(clock.minutes().count()),
                  static_cast<long long>(clock.seconds().count()));
    return text;
}

std::optional<UnixTime> ParseTime(std::string_view text) {
    int year = 0;
    unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char zone = 0;
    int used = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%4d-%2u-%2uT%2u:%2u:%2u%c%n", &year, &month, &day, &hour,
                    &minute, &second, &zone, &used) != 7 ||
        zone != 'Z' || static_cast<size_t>(used) != copy.size() || hour > 23 || minute > 59 ||
        second > 59) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day date{std::chrono::year(year), std::chrono::month(month),
                              std::chrono::day(day)};
    if (!date.ok()) {
        return std::nullopt;
    }
    return sys_days(date).time_since_epoch().count() * 86400LL + hour * 3600LL + minute * 60LL +
           second;
}

std::string SettingsHash(std::string_view provider, std::string_view proxy,
                         std::span<const unsigned char> blob) {
    // FNV-1a, 64 bits; a zero byte separates the parts.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    auto mix = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    };
    for (char c : provider) {
        mix(static_cast<unsigned char>(c));
    }
    mix(0);
    for (char c : proxy) {
        mix(static_cast<unsigned char>(c));
    }
    mix(0);
    for (unsigned char byte : blob) {
        mix(byte);
    }
    char text[32];
    std::snprintf(text, sizeof text, "fnv1a64:%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace host::watch
