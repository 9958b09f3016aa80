// One HTTP/1.0 request per SendRequest, with the raw response kept until
// the next. Never throws: failures are a false result and status -1 when
// no status line was read.
#pragma once

#include "http/event_socket.h"
#include "http/request.h"
#include "http/response.h"
#include "http/url.h"

#include <map>
#include <string>

namespace vantrel::http {

// Answers one authentication challenge; none is registered in this system.
struct IAuthHandler {
    virtual bool Authenticate(const char* challenge, bool proxy) = 0;
};

struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

class HttpClient {
public:
    // A chain of followed redirects longer than this fails the request.
    static constexpr int kMaxRedirects = 10;
    // One SendRequest, redirects included, ends after this many time-outs.
    static constexpr uint64_t kDeadlineFactor = 6;

    HttpClient() = default;
    virtual ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    bool SetProxy(const char* host, uint16_t port);
    // Absent options mean the defaults.
    bool SendRequest(const char* url, const HttpRequestOptions* options = nullptr);
    int GetStatus() const { return m_response.status; }
    const char* GetResponse() const { return m_response.buffer.Data(); }
    int GetBodyLength() const { return m_response.body_length; }
    const char* GetBody() const { return m_response.Body(); }
    // The header block as received, CR LF CR LF included.
    std::string_view GetHeaderBlock() const;
    // Null when the last response has no such header (names ignore case).
    const char* GetHeader(const char* name) const;
    const std::vector<std::string>& GetChallenges() const { return m_response.challenges; }
    void Close() { m_socket.Close(); }
    bool IsConnected() const { return m_socket.IsConnected(); }

protected:
    // Tries the registered handlers on each challenge in turn.
    virtual bool AnswerChallenge(bool proxy);
    // Every "set-cookie" value; cookies are not kept.
    virtual void OnCookie(std::string_view value);

private:
    enum class RedirectOutcome { kFailed, kNoLocation, kSent };

    bool Prepare(const char* url, const HttpRequestOptions& options, std::string* request);
    bool Send(std::string request, const HttpRequestOptions& options);
    bool Exchange(std::string request, const HttpRequestOptions& options);
    bool JudgeStatus(const HttpRequestOptions& options);
    RedirectOutcome FollowRedirect(const HttpRequestOptions& options);
    bool CompleteLocation(const std::string& location, std::string* completed) const;
    ReadResult Read(const HttpRequestOptions& options);
    bool ConnectEndpoint(const ParsedUrl& url);
    bool SendPiece(const char* bytes, size_t length, const HttpRequestOptions& options,
                   uint64_t* total);
    void Reset();
    static void CookieThunk(void* context, std::string_view value);

    EventSocket m_socket;
    Response m_response;
    // Scheme name to handler, not owned; nothing registers one.
    std::map<std::string, IAuthHandler*, NoCaseLess> m_auth_handlers;
    ParsedUrl m_url;
    std::string m_method;
    std::string m_proxy_host;
    uint16_t m_proxy_port = 0;
    ReadResult m_last_read = ReadResult::kNothingRead;
};

}  // namespace vantrel::http
