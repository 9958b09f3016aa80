// The watch configuration: an INI file with an [address] section (where
// the address comes from and how often it is read), an optional [retry]
// section (the backoff of failed updates) and one [profile NAME] section
// per provider to keep current.
//
//   [address]
//   source = interface eth0        ; or: url URL, file PATH, command CMD...
//   interval = 300                 ; seconds between checks
//   timeout = 10                   ; seconds a url or command may take
//   [retry]
//   first = 60                     ; seconds before the first retry
//   max = 1800                     ; the doubling stops here
//   jitter = 10                    ; percent, either way
//   [profile home]
//   provider = dyfi                ; short name, ID or ProgID
//   settings = home.blob           ; relative to the config file's folder
//   proxy = 127.0.0.1:3128         ; optional, handed to SetProxy
//
// Comments are lines starting with ';' or '#', and anything after " ;" or
// " #" on a line. Lines are at most 199 characters (the INI reader's line).
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/providers.h"

namespace host::watch {

enum class SourceKind { Interface, Url, File, Command };

struct Source {
    SourceKind kind = SourceKind::Interface;
    std::string argument;  // interface name, URL, path or command line
};

struct RetryPolicy {
    std::chrono::seconds first{60};
    std::chrono::seconds max{1800};
    int jitter_percent = 10;
};

struct Profile {
    std::string name;
    const Provider* provider = nullptr;
    std::string settings;  // absolute, or as written when the config has no folder
    std::string proxy;
    bool has_proxy = false;
};

struct Config {
    std::string path;
    Source source;
    std::chrono::seconds interval{300};
    std::chrono::seconds timeout{10};
    RetryPolicy retry;
    std::vector<Profile> profiles;
};

struct ConfigError {
    std::string file;
    int line = 0;  // 0: the file as a whole
    std::string message;
    // "FILE:LINE: message", or "FILE: message" for line 0.
    std::string Text() const;
};

struct ConfigResult {
    std::optional<Config> config;
    ConfigError error;
};

using ProviderLookup = std::function<const Provider*(std::string_view)>;

// Parses the text of the file `path`; settings files are checked to be
// readable through the file system.
ConfigResult ParseConfig(const std::string& path, std::string_view text,
                         const ProviderLookup& find_provider);
// Reads and parses the file.
ConfigResult LoadConfig(const std::string& path, const ProviderLookup& find_provider);

// "interface eth0" -> {Interface, "eth0"}; nullopt with the reason when the
// kind is unknown or the argument is missing.
std::optional<Source> ParseSource(std::string_view text, std::string& why);

}  // namespace host::watch
