#include "http/url.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace vantrel::http {

namespace {

struct SchemeInfo {
    const char* name;
    uint16_t port;
};

constexpr SchemeInfo kSchemes[] = {
    {"ftp", 21},  {"gopher", 70}, {"http", 80},   {"https", 443},
    {"file", 0},  {"news", 0},    {"mailto", 0},  {"socks", 1080},
};

// The longest piece a URL may hold; longer input is refused before the
// per-part limits are looked at.
constexpr size_t kMaxPiece = 2088;

bool IsUnsafe(unsigned char c) {
    if (c < 0x20 || c >= 0x7F) {
        return true;
    }
    return std::strchr(" \"$&+,;<=>@[\\]^`{|}", c) != nullptr;
}

int FindScheme(std::string_view name) {
    for (int i = 0; i < static_cast<int>(std::size(kSchemes)); ++i) {
        if (name.size() == std::strlen(kSchemes[i].name) &&
            strncasecmp(name.data(), kSchemes[i].name, name.size()) == 0) {
            return i;
        }
    }
    return kSchemeUnknown;
}

// Reads up to the first of the stop characters (or the end).
std::string_view Token(std::string_view text, size_t* at, const char* stops) {
    size_t end = text.find_first_of(stops, *at);
    if (end == std::string_view::npos) {
        end = text.size();
    }
    std::string_view token = text.substr(*at, end - *at);
    *at = end;
    return token;
}

char At(std::string_view text, size_t i) { return i < text.size() ? text[i] : '\0'; }

// user[:password]@, host[:port]; stops at "/" or "?" except where a "?"
// follows a port (it is swallowed, as atoi ignores it).
bool ParseAuthority(std::string_view url, size_t* at, ParsedUrl* out, bool* explicit_port) {
    bool have_user = false;
    for (;;) {
        std::string_view name = Token(url, at, ":@/?");
        if (name.size() > kMaxPiece) {
            return false;
        }
        char next = At(url, *at);
        if (next == '@') {
            if (have_user || name.size() > kMaxUserName) {
                return false;
            }
            out->user = name;
            have_user = true;
            ++*at;
            continue;
        }
        if (next != ':') {
            if (name.size() > kMaxHostName) {
                return false;
            }
            out->host = name;
            return true;
        }
        ++*at;
        std::string_view after = Token(url, at, "/@");
        if (after.size() > kMaxPiece) {
            return false;
        }
        if (At(url, *at) == '@') {
            if (have_user || name.size() > kMaxUserName || after.size() > kMaxPassword ||
                (name.empty() && !after.empty())) {
                return false;
            }
            out->user = name;
            out->password = after;
            have_user = true;
            ++*at;
            continue;
        }
        if (name.size() > kMaxHostName || after.size() > kMaxUserName) {
            return false;
        }
        out->host = name;
        out->port = static_cast<uint16_t>(std::atoi(std::string(after).c_str()));
        *explicit_port = true;
        return true;
    }
}

bool ParseInto(std::string_view url, ParsedUrl* out) {
    size_t colon = url.find(':');
    size_t stop = url.find_first_of("/?");
    if (colon == std::string_view::npos || (stop != std::string_view::npos && stop < colon)) {
        return false;
    }
    std::string_view name = url.substr(0, colon);
    if (name.size() > kMaxSchemeName) {
        return false;
    }
    out->scheme_name = name;
    out->scheme = FindScheme(name);
    size_t at = colon + 1;
    bool has_explicit_port = false;
    bool path_only = out->scheme == kSchemeFile;
    if (url.substr(at, 2) == "//") {
        if (out->scheme == kSchemeMailto) {
            return false;
        }
        at += 2;
    } else if (At(url, at) == '/') {
        path_only = true;
    }
    if (!path_only) {
        if (!ParseAuthority(url, &at, out, &has_explicit_port)) {
            return false;
        }
    }
    std::string_view path = out->scheme == kSchemeFile ? url.substr(at) : Token(url, &at, "?#");
    if (out->scheme == kSchemeFile) {
        at = url.size();
    }
    std::string_view extra = url.substr(at);
    if (path.size() > kMaxPath || extra.size() > kMaxExtra) {
        return false;
    }
    out->path = path;
    out->extra = extra;
    if (out->scheme == kSchemeFile || out->scheme == kSchemeNews ||
        out->scheme == kSchemeMailto) {
        out->port = 0;
    } else if (!has_explicit_port) {
        out->port = DefaultPort(out->scheme);
    }
    return true;
}

}  // namespace

ParsedUrl::ParsedUrl() : scheme_name("http"), port(80), scheme(kSchemeHttp) {}

void ParsedUrl::Reset() {
    *this = ParsedUrl{};
    scheme_name.clear();
    port = 0;
    scheme = kSchemeUnknown;
}

uint16_t DefaultPort(int scheme) {
    if (scheme < 0 || scheme >= static_cast<int>(std::size(kSchemes))) {
        return 0;
    }
    return kSchemes[scheme].port;
}

bool CanonicalizeUrl(std::string_view url, size_t room, std::string* out) {
    static const char kHex[] = "0123456789abcdef";
    out->clear();
    out->reserve(url.size());
    size_t i = 0;
    for (; i < url.size() && url[i] != '?' && url[i] != '#'; ++i) {
        auto c = static_cast<unsigned char>(url[i]);
        if (IsUnsafe(c)) {
            out->push_back('%');
            out->push_back(kHex[c >> 4]);
            out->push_back(kHex[c & 0xF]);
        } else {
            out->push_back(static_cast<char>(c));
        }
    }
    out->append(url.substr(i));
    return out->size() + 1 <= room;
}

bool ParseUrl(std::string_view url, ParsedUrl* out) {
    out->Reset();
    if (!ParseInto(url, out)) {
        out->Reset();
        return false;
    }
    return true;
}

bool BuildUrl(const ParsedUrl& url, size_t room, std::string* out) {
    std::string text = url.scheme_name;
    text += ':';
    if (url.scheme != kSchemeMailto) {
        text += "//";
    }
    if (!url.user.empty()) {
        text += url.user;
        if (!url.password.empty()) {
            text += ':';
            text += url.password;
        }
        text += '@';
    }
    if (!url.host.empty()) {
        text += url.host;
        if (url.port != DefaultPort(url.scheme)) {
            text += ':';
            text += std::to_string(url.port);
        }
        if (!url.path.empty() && url.path[0] != '/' && url.path[0] != '\\') {
            text += '/';
        }
    }
    text += url.path;
    text += url.extra;
    if (text.size() + 1 > room) {
        return false;
    }
    *out = std::move(text);
    return true;
}

namespace {

// Hardening: settings values and a redirect's Location reach the request
// line unescaped, so a CR or LF there would end the line and start headers
// or a second request of the sender's choosing. No legitimate URL holds a
// control character.
bool HasControlCharacter(const ParsedUrl& url) {
    for (const std::string* part : {&url.host, &url.user, &url.password, &url.path, &url.extra}) {
        for (char c : *part) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

bool CheckRequestUrl(ParsedUrl* url, uint16_t fallback_port) {
    if (url->scheme != kSchemeHttp || url->host.empty() || HasControlCharacter(*url)) {
        return false;
    }
    if (url->path.empty()) {
        url->path = "/";
    }
    if (url->port == 0) {
        url->port = fallback_port;
    }
    return true;
}

}  // namespace vantrel::http
