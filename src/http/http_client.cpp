#include "http/http_client.h"

#include <strings.h>

#include <algorithm>
#include <chrono>

namespace vantrel::http {

namespace {

bool IsAccepted(int status) {
    return (status >= 200 && status <= 206) || status == 304 || status == 305;
}

bool IsRedirect(int status) { return status >= 301 && status <= 303; }

}  // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

HttpClient::~HttpClient() { Close(); }

bool HttpClient::SetProxy(const char* host, uint16_t port) {
    m_proxy_host = host != nullptr ? host : "";
    m_proxy_port = port;
    return true;
}

std::string_view HttpClient::GetHeaderBlock() const {
    return std::string_view(m_response.buffer.Data() + m_response.header_start,
                            static_cast<size_t>(m_response.header_length));
}

const char* HttpClient::GetHeader(const char* name) const {
    const std::string* value = name != nullptr ? m_response.Header(name) : nullptr;
    return value != nullptr ? value->c_str() : nullptr;
}

void HttpClient::Reset() {
    m_response.Reset();
    m_url.Reset();
    m_method.clear();
    m_last_read = ReadResult::kNothingRead;
}

bool HttpClient::SendRequest(const char* url, const HttpRequestOptions* options) {
    const HttpRequestOptions defaults;
    const HttpRequestOptions& use = options != nullptr ? *options : defaults;
    std::string request;
    try {
        if (!Prepare(url, use, &request)) {
            return false;
        }
    } catch (...) {
        // Out of memory before anything was sent: the connection stays.
        return false;
    }
    // A failed connect leaves the transport as it is: it may use the same
    // socket again.
    if (!ConnectEndpoint(m_url)) {
        return false;
    }
    bool ok = false;
    try {
        ok = Exchange(std::move(request), use);
    } catch (...) {
        // Out of memory while reading: a failed read.
    }
    // Only a failed send, read or status judgement gets here with false.
    if (!ok) {
        Close();
    }
    return ok;
}

// Everything before the connection: the URL, the reset, the time limits
// and the request text. Composed before connecting, so a URL too long to
// rebuild for the proxy never opens a connection.
bool HttpClient::Prepare(const char* url, const HttpRequestOptions& options, std::string* request) {
    std::string canonical;
    ParsedUrl parsed;
    if (url == nullptr || *url == '\0' || !CanonicalizeUrl(url, kCanonicalUrlRoom, &canonical) ||
        !ParseUrl(canonical, &parsed)) {
        return false;
    }
    Reset();
    m_method = options.method != nullptr ? options.method : "";
    m_socket.SetTimeout(options.timeout);
    // Hardening: each wait is bounded by the time-out, but a peer that sends
    // a byte now and then would never let one run out; the whole request,
    // its redirects included, gets a fixed multiple of it.
    m_socket.SetDeadline(EventSocket::Clock::now() +
                         std::chrono::milliseconds(uint64_t{options.timeout} * kDeadlineFactor));
    m_url = std::move(parsed);
    RequestForm form = m_proxy_host.empty() ? RequestForm::kDirect : RequestForm::kProxy;
    return CheckRequestUrl(&m_url, options.port) &&
           ComposeRequest(m_url, m_method.c_str(), options, form, request);
}

bool HttpClient::Exchange(std::string request, const HttpRequestOptions& options) {
    if (!Send(std::move(request), options)) {
        return false;
    }
    m_last_read = Read(options);
    if (m_last_read != ReadResult::kOk) {
        return false;
    }
    return (options.flags & kProcessStatus) == 0 || JudgeStatus(options);
}

ReadResult HttpClient::Read(const HttpRequestOptions& options) {
    ReadSettings settings;
    settings.method = m_method;
    settings.read_block_size = options.read_block_size;
    settings.read_callback = options.read_status_callback;
    settings.read_parameter = options.read_callback_parameter;
    settings.cookie_hook = &HttpClient::CookieThunk;
    settings.cookie_context = this;
    settings.max_body = options.max_response_size;
    return ReadResponse(m_socket, settings, m_response);
}

bool HttpClient::ConnectEndpoint(const ParsedUrl& url) {
    if (!m_proxy_host.empty()) {
        return m_socket.Connect(m_proxy_host.c_str(), m_proxy_port);
    }
    return m_socket.Connect(url.host.c_str(), url.port);
}

// The whole count sent must be the request text and the data length, the
// pieces a chunk callback yields included.
bool HttpClient::Send(std::string request, const HttpRequestOptions& options) {
    const uint64_t expected = request.size() + uint64_t{options.data_length};
    uint64_t total = 0;
    auto send = [&](const char* bytes, size_t length) {
        return SendPiece(bytes, length, options, &total);
    };
    const bool has_data = options.data_length != 0 && options.data != nullptr;
    const auto* data = reinterpret_cast<const char*>(options.data);
    if (has_data && (options.flags & (kSendBlocks | kSendCallback)) == 0) {
        // One send carries the request and its body together.
        request.append(data, options.data_length);
        return send(request.data(), request.size()) && total == expected;
    }
    if (!send(request.data(), request.size())) {
        return false;
    }
    if ((options.flags & kSendCallback) != 0 && options.chunk_callback != nullptr) {
        const BYTE* piece = nullptr;
        uint32_t length = 0;
        while (options.chunk_callback(&piece, &length, options.chunk_callback_parameter) &&
               piece != nullptr && length != 0) {
            if (total + length > expected || !send(reinterpret_cast<const char*>(piece), length)) {
                return false;
            }
        }
    } else if (has_data) {
        const uint32_t block = std::max<uint32_t>(options.send_block_size, 1);
        for (uint32_t at = 0; at < options.data_length; at += block) {
            if (!send(data + at, std::min(block, options.data_length - at))) {
                return false;
            }
        }
    }
    return total == expected;
}

// One Send; the whole piece must go out.
bool HttpClient::SendPiece(const char* bytes, size_t length, const HttpRequestOptions& options,
                           uint64_t* total) {
    int sent = 0;
    bool ok = m_socket.Send(bytes, static_cast<int>(length), &sent);
    *total += static_cast<uint64_t>(sent);
    if (ok && options.send_status_callback != nullptr &&
        !options.send_status_callback(static_cast<uint32_t>(sent), options.send_callback_parameter)) {
        return false;
    }
    return ok && static_cast<size_t>(sent) == length;
}

bool HttpClient::JudgeStatus(const HttpRequestOptions& options) {
    // After a redirect was sent in full the request counts as done, whatever
    // the later statuses; only a chain longer than the bound fails it. A 30x
    // without Location is no redirect to follow, so it never counts.
    bool redirected = false;
    for (int hops = 0;; ++hops) {
        const int status = m_response.status;
        if (IsAccepted(status)) {
            return true;
        }
        if (IsRedirect(status) && (options.flags & kAutoRedirect) != 0) {
            if (hops == kMaxRedirects && m_response.Header("Location") != nullptr) {
                return false;
            }
            RedirectOutcome outcome = FollowRedirect(options);
            if (outcome == RedirectOutcome::kFailed) {
                Close();
                return redirected;
            }
            if (outcome == RedirectOutcome::kNoLocation || m_last_read != ReadResult::kOk) {
                return true;
            }
            redirected = true;
            continue;
        }
        if (status == 401 || status == 407) {
            bool answered = AnswerChallenge(status == 407);
            if (!answered) {
                Close();
            }
            return redirected || answered;
        }
        return redirected;
    }
}

// A whole URL stands as it is; anything else is a path taken from the root
// of the current URL, whose other parts (the query too) stay.
bool HttpClient::CompleteLocation(const std::string& location, std::string* completed) const {
    ParsedUrl whole;
    if (ParseUrl(location, &whole)) {
        *completed = location;
        return true;
    }
    ParsedUrl base = m_url;
    std::string path = base.path.empty() ? "/" : base.path;
    base.path = path.substr(0, path.find('/') + 1) + location;
    return BuildUrl(base, kRedirectUrlRoom, completed);
}

HttpClient::RedirectOutcome HttpClient::FollowRedirect(const HttpRequestOptions& options) {
    const std::string* found = m_response.Header("Location");
    if (found == nullptr) {
        return RedirectOutcome::kNoLocation;
    }
    const std::string location = *found;
    const std::string* connection = m_response.Header("Connection");
    if (connection != nullptr && strcasecmp(connection->c_str(), "close") == 0) {
        Close();
        // Same endpoint as before; a failure shows in the send below.
        ConnectEndpoint(m_url);
    }
    // The offsets go with the bytes: a failed redirect shows no stale header or body.
    m_response.ClearContent();

    std::string completed;
    if (!CompleteLocation(location, &completed)) {
        return RedirectOutcome::kFailed;
    }
    ParsedUrl next;
    const uint16_t fallback_port = m_url.port;
    if (!ParseUrl(completed, &next) || !CheckRequestUrl(&next, fallback_port)) {
        return RedirectOutcome::kFailed;
    }
    m_url = std::move(next);

    HttpRequestOptions plain = options;
    plain.extra_headers = nullptr;
    plain.data_length = 0;
    plain.data = nullptr;
    std::string request;
    RequestForm form = m_proxy_host.empty() ? RequestForm::kDirect : RequestForm::kProxy;
    if (!ComposeRequest(m_url, m_method.c_str(), plain, form, &request)) {
        return RedirectOutcome::kFailed;
    }
    int sent = 0;
    if (!m_socket.Send(request.data(), static_cast<int>(request.size()), &sent) ||
        static_cast<size_t>(sent) != request.size()) {
        return RedirectOutcome::kFailed;
    }
    m_last_read = Read(options);
    return RedirectOutcome::kSent;
}

bool HttpClient::AnswerChallenge(bool proxy) {
    for (const std::string& challenge : m_response.challenges) {
        std::string scheme = challenge.substr(0, challenge.find(' '));
        auto handler = m_auth_handlers.find(scheme);
        if (handler == m_auth_handlers.end()) {
            continue;
        }
        try {
            if (handler->second->Authenticate(challenge.c_str(), proxy)) {
                return true;
            }
        } catch (...) {
            // A handler that fails counts as not answering; the next may.
        }
    }
    return false;
}

void HttpClient::OnCookie(std::string_view) {}

void HttpClient::CookieThunk(void* context, std::string_view value) {
    static_cast<HttpClient*>(context)->OnCookie(value);
}

}  // namespace vantrel::http
