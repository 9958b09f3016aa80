// URLs of HTTP requests: escaping, splitting into parts, rebuilding, and
// the check a URL must pass before it is sent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::http {

enum SchemeIndex : int {
    kSchemeUnknown = -1,
    kSchemeFtp = 0,
    kSchemeGopher = 1,
    kSchemeHttp = 2,
    kSchemeHttps = 3,
    kSchemeFile = 4,
    kSchemeNews = 5,
    kSchemeMailto = 6,
    kSchemeSocks = 7,
};

// Rooms include the terminating NUL of the fixed buffers they stand for.
constexpr size_t kCanonicalUrlRoom = 2083;
constexpr size_t kRedirectUrlRoom = 2048;

constexpr size_t kMaxSchemeName = 32;
constexpr size_t kMaxHostName = 256;
constexpr size_t kMaxUserName = 128;
constexpr size_t kMaxPassword = 128;
constexpr size_t kMaxPath = 2048;
constexpr size_t kMaxExtra = 2048;

struct ParsedUrl {
    std::string scheme_name;
    std::string host;
    std::string user;
    std::string password;
    std::string path;   // begins with "/" when present
    std::string extra;  // the query or fragment, from its "?" or "#"
    uint16_t port = 0;
    int scheme = kSchemeUnknown;

    // A default URL is http on port 80 with nothing else.
    ParsedUrl();
    // Scheme -1, port 0, every text empty.
    void Reset();
};

// The scheme's default port; 0 for a scheme outside the table.
uint16_t DefaultPort(int scheme);

// Escapes unsafe characters before the first "?" or "#". False when the
// result does not fit in room (counting its NUL).
bool CanonicalizeUrl(std::string_view url, size_t room, std::string* out);
// False, with *out reset, when the URL cannot be split.
bool ParseUrl(std::string_view url, ParsedUrl* out);
// False when the URL does not fit in room (counting its NUL).
bool BuildUrl(const ParsedUrl& url, size_t room, std::string* out);
// Only http with a host and no control character (CR, LF, ...) anywhere
// can be sent; an empty path becomes "/", port 0 the fallback port.
bool CheckRequestUrl(ParsedUrl* url, uint16_t fallback_port);

}  // namespace vantrel::http
