#include "host/watch/config.h"

#include <ini.h>

#include <cctype>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace host::watch {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

// Feeds inih line by line from memory, counting lines so that every error
// can name its line (Debian's inih does not hand line numbers to the
// handler), cutting " #" comments, and noting lines too long for it.
struct LineFeed {
    std::string_view text;
    size_t position = 0;
    int line = 0;
    int section_line = 0;  // of the last [SECTION] header
    int first_long_line = 0;
};

char* FeedLine(char* out, int room, void* stream) {
    auto& feed = *static_cast<LineFeed*>(stream);
    if (feed.position >= feed.text.size() || room < 2) {
        return nullptr;
    }
    size_t end = feed.text.find('\n', feed.position);
    end = end == std::string_view::npos ? feed.text.size() : end + 1;
    std::string_view line = feed.text.substr(feed.position, end - feed.position);
    feed.position = end;
    ++feed.line;
    if (Trim(line).substr(0, 1) == "[") {
        feed.section_line = feed.line;
    }
    for (size_t i = 1; i < line.size(); ++i) {
        if (line[i] == '#' && std::isspace(static_cast<unsigned char>(line[i - 1]))) {
            line = line.substr(0, i);
            break;
        }
    }
    if (line.size() > static_cast<size_t>(room - 1)) {
        if (feed.first_long_line == 0) {
            feed.first_long_line = feed.line;
        }
        line = line.substr(0, static_cast<size_t>(room - 1));
    }
    std::memcpy(out, line.data(), line.size());
    out[line.size()] = '\0';
    return out;
}

struct ProfileDraft {
    Profile profile;
    int first_line = 0;  // of its section header
};

struct Parser {
    LineFeed feed;
    const ProviderLookup* find_provider = nullptr;
    Config config;
    bool has_source = false;
    bool has_retry_max = false;
    int first_error_line = 0;
    std::string first_error;
    std::set<std::string> seen;
    std::vector<ProfileDraft> drafts;
    std::map<std::string, size_t> draft_index;

    bool Fail(std::string message) {
        if (first_error_line == 0) {
            first_error_line = feed.line;
            first_error = std::move(message);
        }
        return false;
    }
    bool Handle(std::string_view section, std::string_view key, std::string_view value);
    bool Address(std::string_view key, std::string_view value);
    bool Retry(std::string_view key, std::string_view value);
    bool ProfileKey(std::string_view name, std::string_view key, std::string_view value);
};

// Whole decimal seconds within [low, high].
bool ReadNumber(std::string_view text, long low, long high, long& out) {
    long value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

bool Parser::Address(std::string_view key, std::string_view value) {
    long number = 0;
    if (key == "source") {
        std::string why;
        std::optional<Source> source = ParseSource(value, why);
        if (!source) {
            return Fail(why);
        }
        config.source = std::move(*source);
        has_source = true;
        return true;
    }
    if (key == "interval" || key == "timeout") {
        const long high = key == "interval" ? 86400 : 300;
        if (!ReadNumber(value, 1, high, number)) {
            return Fail(std::string(key) + " wants whole seconds from 1 to " +
                        std::to_string(high) + ", not \"" + std::string(value) + "\"");
        }
        (key == "interval" ? config.interval : config.timeout) = std::chrono::seconds(number);
        return true;
    }
    return Fail("unknown key \"" + std::string(key) + "\" in [address] (source, interval, timeout)");
}

bool Parser::Retry(std::string_view key, std::string_view value) {
    long number = 0;
    if (key == "first" || key == "max") {
        if (!ReadNumber(value, 1, 86400, number)) {
            return Fail(std::string(key) + " wants whole seconds from 1 to 86400, not \"" +
                        std::string(value) + "\"");
        }
        (key == "first" ? config.retry.first : config.retry.max) = std::chrono::seconds(number);
        has_retry_max = has_retry_max || key == "max";
        return true;
    }
    if (key == "jitter") {
        if (!ReadNumber(value, 0, 50, number)) {
            return Fail("jitter wants a percentage from 0 to 50, not \"" + std::string(value) + "\"");
        }
        config.retry.jitter_percent = static_cast<int>(number);
        return true;
    }
    return Fail("unknown key \"" + std::string(key) + "\" in [retry] (first, max, jitter)");
}

bool Parser::ProfileKey(std::string_view name, std::string_view key, std::string_view value) {
    if (name.empty()) {
        return Fail("a profile section needs a name: [profile NAME]");
    }
    auto [entry, added] = draft_index.emplace(std::string(name), drafts.size());
    if (added) {
        drafts.push_back({});
        drafts.back().profile.name = std::string(name);
        drafts.back().first_line = feed.section_line;
    }
    ProfileDraft& draft = drafts[entry->second];
    if (key == "provider") {
        draft.profile.provider = (*find_provider)(value);
        return draft.profile.provider != nullptr ||
               Fail("no such provider: \"" + std::string(value) + "\" (see vantrel list)");
    }
    if (key == "settings") {
        std::filesystem::path path(value);
        std::filesystem::path folder = std::filesystem::path(config.path).parent_path();
        if (path.is_relative() && !folder.empty()) {
            path = folder / path;
        }
        draft.profile.settings = path.string();
        std::ifstream file(draft.profile.settings, std::ios::binary);
        return value.empty() ? Fail("settings wants the path of a settings blob")
               : file        ? true
                             : Fail("cannot read the settings file " + draft.profile.settings +
                                    ": " + std::strerror(errno));
    }
    if (key == "proxy") {
        draft.profile.proxy = std::string(value);
        draft.profile.has_proxy = true;
        return true;
    }
    return Fail("unknown key \"" + std::string(key) + "\" in a profile (provider, settings, proxy)");
}

bool Parser::Handle(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    if (!seen.insert(std::string(section) + '\n' + std::string(key)).second) {
        return Fail("\"" + std::string(key) + "\" is given twice in [" + std::string(section) + "]");
    }
    if (section == "address") {
        return Address(key, value);
    }
    if (section == "retry") {
        return Retry(key, value);
    }
    if (section.substr(0, 8) == "profile " || section == "profile") {
        return ProfileKey(Trim(section.substr(std::min<size_t>(section.size(), 8))), key, value);
    }
    if (section.empty()) {
        return Fail("\"" + std::string(key) + "\" stands before any section");
    }
    return Fail("unknown section [" + std::string(section) +
                "] (address, retry, profile NAME)");
}

int HandleEntry(void* user, const char* section, const char* key, const char* value) {
    return static_cast<Parser*>(user)->Handle(section, key, value) ? 1 : 0;
}

ConfigResult Failure(const std::string& file, int line, std::string message) {
    ConfigResult result;
    result.error = {file, line, std::move(message)};
    return result;
}

// What only the whole file can tell: missing keys and sections.
ConfigResult Finish(Parser& parser) {
    const std::string& file = parser.config.path;
    if (!parser.has_source) {
        return Failure(file, 0, "[address] needs a source (interface, url, file or command)");
    }
    if (parser.config.retry.max < parser.config.retry.first) {
        if (parser.has_retry_max) {
            return Failure(file, 0, "[retry] max is below first");
        }
        // A first step beyond the default cap leaves no room to double.
        parser.config.retry.max = parser.config.retry.first;
    }
    if (parser.drafts.empty()) {
        return Failure(file, 0, "no [profile NAME] section: nothing to keep current");
    }
    for (ProfileDraft& draft : parser.drafts) {
        if (draft.profile.provider == nullptr) {
            return Failure(file, draft.first_line,
                           "profile " + draft.profile.name + " needs a provider");
        }
        if (draft.profile.settings.empty()) {
            return Failure(file, draft.first_line,
                           "profile " + draft.profile.name + " needs a settings file");
        }
        parser.config.profiles.push_back(std::move(draft.profile));
    }
    ConfigResult result;
    result.config = std::move(parser.config);
    return result;
}

}  // namespace

std::string ConfigError::Text() const {
    return line > 0 ? file + ":" + std::to_string(line) + ": " + message : file + ": " + message;
}

std::optional<Source> ParseSource(std::string_view text, std::string& why) {
    text = Trim(text);
    const size_t space = text.find_first_of(" \t");
    const std::string_view kind = text.substr(0, space);
    const std::string_view argument =
        space == std::string_view::npos ? std::string_view() : Trim(text.substr(space));
    static const std::pair<std::string_view, SourceKind> kKinds[] = {
        {"interface", SourceKind::Interface},
        {"url", SourceKind::Url},
        {"file", SourceKind::File},
        {"command", SourceKind::Command},
    };
    for (const auto& [name, value] : kKinds) {
        if (kind != name) {
            continue;
        }
        if (argument.empty()) {
            why = "source " + std::string(name) + " needs " +
                  (value == SourceKind::Interface ? "an interface name"
                   : value == SourceKind::Url     ? "a URL"
                   : value == SourceKind::File    ? "a path"
                                                  : "a command");
            return std::nullopt;
        }
        if (value == SourceKind::Url && argument.substr(0, 7) != "http://" &&
            argument.substr(0, 8) != "https://") {
            why = "source url wants an http:// or https:// URL";
            return std::nullopt;
        }
        return Source{value, std::string(argument)};
    }
    why = "unknown source \"" + std::string(text) + "\" (interface, url, file or command)";
    return std::nullopt;
}

ConfigResult ParseConfig(const std::string& path, std::string_view text,
                         const ProviderLookup& find_provider) {
    Parser parser;
    parser.feed.text = text;
    parser.find_provider = &find_provider;
    parser.config.path = path;
    const int inih_line = ini_parse_stream(FeedLine, &parser.feed, HandleEntry, &parser);
    if (inih_line < 0) {
        return Failure(path, 0, "out of memory while reading");
    }
    int line = parser.first_error_line;
    std::string message = parser.first_error;
    if (parser.feed.first_long_line > 0 && (line == 0 || parser.feed.first_long_line <= line)) {
        line = parser.feed.first_long_line;
        message = "line longer than 199 characters";
    } else if (inih_line > 0 && (line == 0 || inih_line < line)) {
        line = inih_line;
        message = "expected KEY = VALUE or [SECTION]";
    }
    if (line > 0) {
        return Failure(path, line, message);
    }
    return Finish(parser);
}

ConfigResult LoadConfig(const std::string& path, const ProviderLookup& find_provider) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return Failure(path, 0, std::string("cannot read: ") + std::strerror(errno));
    }
    std::stringstream text;
    text << file.rdbuf();
    return ParseConfig(path, text.str(), find_provider);
}

}  // namespace host::watch
