// Reading an HTTP/1.x request head, in origin form (service named by the
// Host header) or proxy form (absolute URL in the request line). Pure:
// bytes in, a request or an error out.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::lab {

struct Header {
    std::string name;
    std::string value;
};

struct Request {
    std::string method;
    std::string target;  // as it stood in the request line
    std::string version;
    std::string host;   // lower case, without port and trailing dot
    std::string path;   // "/" when the target has none
    std::string query;  // raw, without the "?"
    bool proxy_form = false;
    std::vector<Header> headers;

    // The first header of that name, compared without case.
    std::optional<std::string_view> HeaderValue(std::string_view name) const;
    // The first query value of that key, percent-decoded; "+" stays "+"
    // because the update clients never encode a space that way.
    std::optional<std::string> QueryValue(std::string_view key) const;
};

enum class RequestError { kNone, kBadRequestLine, kBadTarget, kBadHeader };

struct ParsedRequest {
    std::optional<Request> request;
    RequestError error = RequestError::kNone;
};

// Offset just past the empty line ending the head (CR LF CR LF, or a bare
// LF LF from hand-typed requests); nothing while the head is incomplete.
std::optional<size_t> FindHeadEnd(std::string_view data);

// `head` is the request line and header lines; anything after the empty
// line is ignored.
ParsedRequest ParseRequest(std::string_view head);

std::string PercentDecode(std::string_view text);
std::optional<std::string> Base64Decode(std::string_view text);

struct Credentials {
    std::string user;
    std::string password;
};

// The user and password of an "Authorization: Basic" header.
std::optional<Credentials> BasicCredentials(const Request& request);

std::string ToLower(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace vantrel::lab
