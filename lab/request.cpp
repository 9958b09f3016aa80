#include "lab/request.h"

#include <algorithm>

namespace vantrel::lab {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (IsSpace(text.back()) || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits off the next line; a CR before the LF is dropped.
std::string_view NextLine(std::string_view& rest) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

// "host", "host:port", "[v6]:port", "user@host:port" -> lower-case host.
std::string HostOf(std::string_view authority) {
    if (size_t at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    if (!authority.empty() && authority.front() == '[') {
        size_t close = authority.find(']');
        return ToLower(authority.substr(0, close == std::string_view::npos ? close : close + 1));
    }
    authority = authority.substr(0, authority.find(':'));
    if (!authority.empty() && authority.back() == '.') {
        authority.remove_suffix(1);
    }
    return ToLower(authority);
}

void SplitPathAndQuery(std::string_view path_and_query, Request& request) {
    size_t mark = path_and_query.find('?');
    request.path = std::string(path_and_query.substr(0, mark));
    if (mark != std::string_view::npos) {
        request.query = std::string(path_and_query.substr(mark + 1));
    }
    if (request.path.empty()) {
        // assign() rather than = "/": g++ 12 at -O2 gives a false -Wrestrict on the latter.
        request.path.assign(1, '/');
    }
}

bool ParseTarget(std::string_view target, Request& request) {
    constexpr std::string_view kScheme = "http://";
    if (!target.empty() && target.front() == '/') {
        SplitPathAndQuery(target, request);
        return true;
    }
    if (target.size() < kScheme.size() ||
        !EqualsNoCase(target.substr(0, kScheme.size()), kScheme)) {
        return false;
    }
    std::string_view rest = target.substr(kScheme.size());
    size_t end = rest.find_first_of("/?");
    request.host = HostOf(rest.substr(0, end));
    request.proxy_form = true;
    std::string_view path_and_query = end == std::string_view::npos ? "" : rest.substr(end);
    SplitPathAndQuery(path_and_query, request);
    return !request.host.empty();
}

bool ParseRequestLine(std::string_view line, Request& request) {
    size_t first = line.find(' ');
    size_t last = line.rfind(' ');
    if (first == std::string_view::npos || last == first) {
        return false;
    }
    request.method = std::string(line.substr(0, first));
    request.target = std::string(TrimSpaces(line.substr(first + 1, last - first - 1)));
    request.version = std::string(line.substr(last + 1));
    return !request.method.empty() && !request.target.empty() &&
           request.version.rfind("HTTP/", 0) == 0;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return -1;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

std::string ToLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
    });
    return lower;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ToLower(a) == ToLower(b);
}

std::optional<std::string_view> Request::HeaderValue(std::string_view name) const {
    for (const Header& header : headers) {
        if (EqualsNoCase(header.name, name)) {
            return std::string_view(header.value);
        }
    }
    return std::nullopt;
}

std::optional<std::string> Request::QueryValue(std::string_view key) const {
    std::string_view rest = query;
    while (!rest.empty()) {
        size_t amp = rest.find('&');
        std::string_view pair = rest.substr(0, amp);
        rest = amp == std::string_view::npos ? std::string_view() : rest.substr(amp + 1);
        size_t equals = pair.find('=');
        std::string_view name = pair.substr(0, equals);
        if (PercentDecode(name) == key) {
            return PercentDecode(equals == std::string_view::npos ? "" : pair.substr(equals + 1));
        }
    }
    return std::nullopt;
}

std::optional<size_t> FindHeadEnd(std::string_view data) {
    size_t crlf = data.find("\r\n\r\n");
    size_t lf = data.find("\n\n");
    if (crlf == std::string_view::npos && lf == std::string_view::npos) {
        return std::nullopt;
    }
    if (crlf != std::string_view::npos && (lf == std::string_view::npos || crlf < lf)) {
        return crlf + 4;
    }
    return lf + 2;
}

ParsedRequest ParseRequest(std::string_view head) {
    ParsedRequest parsed;
    Request request;
    std::string_view rest = head;
    if (!ParseRequestLine(NextLine(rest), request)) {
        parsed.error = RequestError::kBadRequestLine;
        return parsed;
    }
    if (!ParseTarget(request.target, request)) {
        parsed.error = RequestError::kBadTarget;
        return parsed;
    }
    for (std::string_view line = NextLine(rest); !line.empty(); line = NextLine(rest)) {
        size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0 || IsSpace(line.front())) {
            parsed.error = RequestError::kBadHeader;
            return parsed;
        }
        request.headers.push_back(
            {std::string(line.substr(0, colon)), std::string(TrimSpaces(line.substr(colon + 1)))});
    }
    // An absolute URL names the host even when a Host header disagrees
    // (RFC 9112 section 3.2.2).
    if (!request.proxy_form) {
        request.host = HostOf(request.HeaderValue("Host").value_or(""));
    }
    parsed.request = std::move(request);
    return parsed;
}

std::string PercentDecode(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded.push_back(
                static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

std::optional<std::string> Base64Decode(std::string_view text) {
    while (!text.empty() && text.back() == '=') {
        text.remove_suffix(1);
    }
    if (text.size() % 4 == 1) {
        return std::nullopt;
    }
    std::string decoded;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        int value = Base64Value(c);
        if (value < 0) {
            return std::nullopt;
        }
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            decoded.push_back(static_cast<char>((bits >> count) & 0xFF));
        }
    }
    return decoded;
}

std::optional<Credentials> BasicCredentials(const Request& request) {
    constexpr std::string_view kBasic = "Basic ";
    std::optional<std::string_view> value = request.HeaderValue("Authorization");
    if (!value || value->size() < kBasic.size() ||
        !EqualsNoCase(value->substr(0, kBasic.size()), kBasic)) {
        return std::nullopt;
    }
    std::optional<std::string> decoded = Base64Decode(TrimSpaces(value->substr(kBasic.size())));
    if (!decoded) {
        return std::nullopt;
    }
    size_t colon = decoded->find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    return Credentials{decoded->substr(0, colon), decoded->substr(colon + 1)};
}

}  // namespace vantrel::lab
