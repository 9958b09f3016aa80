#include "http/request.h"

namespace vantrel::http {

namespace {

// Sent with every request; the address is where a service operator can
// reach the maintainers about misbehaving clients.
constexpr const char kUserAgentLine[] =
    "User-Agent: Tarnwelkin/4.3.1 (maintainers@vantrel.invalid)\r\n";

enum class EmptyType { kLeaveOut, kSend };

void AppendCommonHeaders(const HttpRequestOptions& options, EmptyType empty_type,
                         std::string* out) {
    if (options.data_length != 0) {
        *out += "Content-Length: " + std::to_string(options.data_length) + "\r\n";
    }
    if (options.content_type != nullptr && (empty_type == EmptyType::kSend || *options.content_type != '\0')) {
        *out += "Content-Type: ";
        *out += options.content_type;
        *out += "\r\n";
    }
    if (options.extra_headers != nullptr) {
        *out += options.extra_headers;
    }
}

}  // namespace

const char* HttpRequestOptions::SetMethod(const char* new_method) {
    const char* previous = method;
    method = new_method;
    return previous;
}

const char* HttpRequestOptions::SetExtraHeaders(const char* headers) {
    const char* previous = extra_headers;
    extra_headers = headers;
    return previous;
}

bool ComposeRequest(const ParsedUrl& url, const char* method, const HttpRequestOptions& options,
                    RequestForm form, std::string* out) {
    std::string text = method != nullptr ? method : "";
    text += ' ';
    if (form == RequestForm::kDirect) {
        text += url.path;
        text += url.extra;
        text += " HTTP/1.0\r\n";
        AppendCommonHeaders(options, EmptyType::kLeaveOut, &text);
        text += "Host: " + url.host + "\r\n";
    } else {
        std::string whole;
        if (!BuildUrl(url, kCanonicalUrlRoom, &whole)) {
            return false;
        }
        text += whole;
        text += " HTTP/1.0\r\n";
        text += "Host: " + url.host;
        if (url.port != 80) {
            text += ':' + std::to_string(url.port);
        }
        text += "\r\n";
        // Through a proxy an empty content type is still sent.
        AppendCommonHeaders(options, EmptyType::kSend, &text);
    }
    text += kUserAgentLine;
    text += "\r\n";
    *out = std::move(text);
    return true;
}

}  // namespace vantrel::http
