// HttpClient and its EventSocket against a scripted loopback peer: request
// bytes, status judgement, redirects, bounded waits and a counted socket.
#include "http/event_socket.h"
#include "http/http_client.h"
#include "loopback_server.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <chrono>
#include <string>

namespace vantrel::http {
namespace {

using namespace std::chrono_literals;
using namespace vantrel::testing;

const char kUserAgent[] = "User-Agent: Tarnwelkin/4.3.1 (maintainers@vantrel.invalid)\r\n";

std::string Url(uint16_t port, const std::string& path = "/") {
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

std::string Ok(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Reads the request, then answers with `actions`.
template <typename... Actions>
Script Reply(Actions... actions) {
    return {ReadRequest(), actions...};
}

std::string Body(const HttpClient& client) {
    return std::string(client.GetBody(), client.GetBodyLength());
}

// A port nothing listens on any more.
uint16_t ClosedPort() {
    return LoopbackServer(std::vector<Script>{Script{}}).Port();
}

// Rebuilding for a proxy adds "//": 2082 characters become 2084, past the room.
const std::string kTooLongForProxy =
    "http:h/" + std::string(1000, 'a') + "?" + std::string(1074, 'q');

// Ten followed redirects on one connection, then a 302 with no Location.
Script TenRedirectsThen302() {
    Script script;
    for (int i = 0; i < HttpClient::kMaxRedirects; ++i) {
        script.push_back(ReadRequest());
        script.push_back(
            Send("HTTP/1.1 301 Moved\r\nLocation: /next\r\nContent-Length: 0\r\n\r\n"));
    }
    script.push_back(ReadRequest());
    script.push_back(Send("HTTP/1.1 302 Found\r\nContent-Length: 3\r\n\r\nend"));
    return script;
}

// Request lines the peer received on each connection.
std::vector<int> RequestsPerConnection(const std::vector<std::string>& received) {
    std::vector<int> counts;
    for (const std::string& text : received) {
        int n = 0;
        for (size_t at = text.find(" HTTP/1.0\r\n"); at != std::string::npos;
             at = text.find(" HTTP/1.0\r\n", at + 1)) {
            ++n;
        }
        counts.push_back(n);
    }
    return counts;
}

// Body forms one by one are the reader's tests; these go through sockets
// and judge the status. A failed exchange closes the connection, and no
// redirect repeats the caller's Authorization or leaves a stale reply.
TEST(HttpClient, ExchangesStatusesAndRedirects) {
    const struct {
        const char* name;
        std::vector<Script> scripts;
        bool result;
        int status;
        const char* body;  // null: not checked
        std::vector<int> requests;
        std::string path = "/";
        std::string last_request = "";  // the start of the last one sent
    } cases[] = {
        // clang-format off
        // The bare host, even with a port; the query goes out unescaped.
        {"length", {Reply(Send(Ok("hello")))}, true, 200, "hello", {1}, "/u?h=a b&x=1",
         std::string("GET /u?h=a b&x=1 HTTP/1.0\r\nAuthorization: Basic dTpw\r\n"
                     "Host: 127.0.0.1\r\n") + kUserAgent + "\r\n"},
        {"100 of 50 then close",
         {Reply(Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(50, 'x')),
                CloseConnection())},
         false, 200, nullptr, {1}},
        {"404", {Reply(Send("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n"))},
         false, 404, nullptr, {1}},
        {"no status number",
         {Reply(Send("<html><body>hi</body>\r\n\r\n</html>"), CloseConnection())},
         false, -1, nullptr, {1}},
        {"401 fails at once",
         {Reply(Send("HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\n"
                     "Content-Length: 0\r\n\r\n"))},
         false, 401, nullptr, {1}},
        {"302 without location",
         {Reply(Send("HTTP/1.0 302 Found\r\nContent-Length: 2\r\n\r\nno"))},
         true, 302, "no", {1}},
        // A 30x without Location after the bound is no redirect to follow.
        {"bound reached, then nothing to follow", {TenRedirectsThen302()}, true, 302, "end", {11}},
        {"redirect loop",
         {Reply(Send("HTTP/1.1 301 Moved\r\nLocation: /loop\r\nContent-Length: 0\r\n\r\n"),
                Repeat())},
         false, 301, nullptr, {11}},
        {"kept-alive redirect",
         {Reply(Send("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1/other\r\n"
                     "Content-Length: 0\r\n\r\n"),
                ReadRequest(), Send(Ok("moved")))},
         true, 200, "moved", {2}, "/first", "GET /other HTTP/1.0\r\n"},
        {"relative location from the root",
         {Reply(Send("HTTP/1.0 302 Found\r\nLocation: b.php\r\nConnection: close\r\n\r\n"),
                CloseConnection()),
          Reply(Send(Ok("b")), CloseConnection())},
         true, 200, "b", {1, 1}, "/dir/a.php", "GET /b.php HTTP/1.0\r\n"},
        // A CR or LF in the URL would split the request.
        {"CR LF in the URL", {Reply(Send(Ok("fine")))}, false, -1, nullptr, {},
         "/u?pw=x HTTP/1.0\r\nX-Injected: 1\r\n\r\nGET /second"},
        {"redirect to https",
         {Reply(Send("HTTP/1.0 302 Found\r\nLocation: https://127.0.0.1/\r\n"
                     "Content-Length: 5\r\n\r\nstale"))},
         false, 302, "", {1}},
        {"Location with a continuation line",
         {Reply(Send("HTTP/1.1 302 Found\r\nLocation: /a\r\n X-Injected: 1\r\n"
                     "Content-Length: 0\r\n\r\n"),
                ReadRequest(), Send(Ok("second")))},
         false, 302, nullptr, {1}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(c.scripts);
        HttpClient client;
        HttpRequestOptions options;
        options.SetExtraHeaders("Authorization: Basic dTpw\r\n");
        options.timeout = 2000;
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(client.SendRequest(Url(server.Port(), c.path).c_str(), &options), c.result);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
        EXPECT_EQ(client.GetStatus(), c.status);
        if (c.body != nullptr) {
            EXPECT_EQ(Body(client), c.body);
        }
        if (!c.result) {
            EXPECT_FALSE(client.IsConnected());
        }
        // A redirect that cannot be followed leaves no stale header either.
        if (!c.result && c.body != nullptr) {
            EXPECT_EQ(client.GetHeaderBlock(), "");
            EXPECT_EQ(client.GetHeader("Location"), nullptr);
        }
        client.Close();
        const std::vector<std::string> received = server.Received();
        EXPECT_EQ(RequestsPerConnection(received), c.requests);
        std::string all;
        for (const std::string& text : received) {
            all += text;
        }
        EXPECT_EQ(all.find("Authorization"), all.rfind("Authorization"));
        if (!c.last_request.empty()) {
            EXPECT_EQ(all.rfind(c.last_request), all.rfind("GET "));
        }
    }
}

// Each wait ends at the time-out; a server that keeps each wait short by
// trickling a byte every 40 ms meets the deadline of six time-outs.
TEST(HttpClient, WaitsEndAtTheTimeoutAndTheTotalDeadline) {
    const struct {
        const char* name;
        Script script;
        std::chrono::milliseconds at_least;
        std::chrono::milliseconds below;
    } cases[] = {
        {"silent", Reply(Silent()), 200ms, 3000ms},
        {"trickling", Reply(Trickle(Ok(std::string(100, 'x')), 1, 40ms)), 1200ms, 2500ms},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server({c.script});
        HttpClient client;
        HttpRequestOptions options;
        options.timeout = 200;
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(client.SendRequest(Url(server.Port()).c_str(), &options));
        auto spent = std::chrono::steady_clock::now() - start;
        EXPECT_GE(spent, c.at_least);
        EXPECT_LT(spent, c.below);
        EXPECT_EQ(client.GetStatus(), -1);
    }
}

TEST(HttpClient, FailsWithoutStatusOnBadUrlOrRefusedConnection) {
    const uint16_t closed_port = ClosedPort();
    for (const std::string& url :
         {std::string(), std::string("https://127.0.0.1/"), std::string("http:/nohost"),
          std::string("ftp://127.0.0.1/"), "http://127.0.0.1/" + std::string(2100, 'a'),
          Url(closed_port)}) {
        HttpClient client;
        EXPECT_FALSE(client.SendRequest(url.c_str())) << url;
        EXPECT_EQ(client.GetStatus(), -1) << url;
    }
    EXPECT_FALSE(HttpClient().SendRequest(nullptr));
}

TEST(HttpClient, OnlyAFailedExchangeClosesTheConnection) {
    LoopbackServer server({Reply(Send(Ok("one")))});
    HttpClient client;
    ASSERT_TRUE(client.SendRequest(Url(server.Port()).c_str()));
    ASSERT_TRUE(client.IsConnected());
    // Composing fails before anything is sent: no connection to the proxy either.
    client.SetProxy("127.0.0.1", server.Port());
    ASSERT_EQ(kTooLongForProxy.size(), 2082u);
    EXPECT_FALSE(client.SendRequest(kTooLongForProxy.c_str()));
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(server.Connections(), 1);
    client.Close();

    // A failed connect keeps the transport's socket for the next attempt.
    static int sockets = 0;
    sockets = 0;
    VtSocketFunctions counting{[](int domain, int type, int protocol) {
                                   ++sockets;
                                   return socket(domain, type, protocol);
                               },
                               nullptr, nullptr, nullptr, nullptr};
    const uint16_t closed_port = ClosedPort();
    VtSetSocketFunctions(&counting);
    HttpClient refused;
    EXPECT_FALSE(refused.SendRequest(Url(closed_port).c_str()));
    EXPECT_FALSE(refused.SendRequest(Url(closed_port).c_str()));
    VtSetSocketFunctions(nullptr);
    EXPECT_EQ(sockets, 1);
}

TEST(EventSocket, TimedOutReceiveLeavesBufferAlone) {
    LoopbackServer server({{Pause(300ms), Send("late")}});
    EventSocket socket;
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    EXPECT_TRUE(socket.Connect("127.0.0.1", server.Port()));  // already connected: nothing to do
    socket.SetTimeout(50);
    char abandoned[8] = "#######";
    int count = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(socket.Receive(abandoned, sizeof abandoned, &count));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    socket.SetTimeout(5000);
    char fresh[8] = {};
    ASSERT_TRUE(socket.Receive(fresh, sizeof fresh, &count));
    EXPECT_EQ(std::string(fresh, count), "late");
    EXPECT_EQ(abandoned[0], '#');
}

}  // namespace
}  // namespace vantrel::http
