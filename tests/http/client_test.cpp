// HttpClient against a scripted loopback peer: exact request bytes, the
// response forms, status judgement, redirects and transport failures.
#include "http/http_client.h"
#include "loopback_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace vantrel::http {
namespace {

using namespace std::chrono_literals;
using testing::Action;
using testing::LoopbackServer;
using testing::Script;

const char kUserAgent[] = "User-Agent: Tarnwelkin/4.3.1 (maintainers@vantrel.invalid)\r\n";

std::string Url(const LoopbackServer& server, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(server.Port()) + path;
}

std::string Ok(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(HttpClient, SendsRequestTextByteForByte) {
    enum class Route { kDirect, kProxy };
    const struct {
        Route route;
        std::string path;  // behind the server's address, or a whole URL for the proxy
        std::string expected;
    } cases[] = {
        // Direct: the bare host, even with a port; the query goes out unescaped.
        {Route::kDirect, "/nic/update?hostname=a b&x=1",
         "GET /nic/update?hostname=a b&x=1 HTTP/1.0\r\nAuthorization: Basic dTpw\r\n"
         "Host: 127.0.0.1\r\n"},
        // Proxy: the whole URL and the port; the name is never looked up.
        {Route::kProxy, "http://update.example.invalid:8180/a b?q=1",
         "GET http://update.example.invalid:8180/a%20b?q=1 HTTP/1.0\r\n"
         "Host: update.example.invalid:8180\r\nAuthorization: Basic dTpw\r\n"},
        {Route::kProxy, "http://update.example.invalid/",
         "GET http://update.example.invalid/ HTTP/1.0\r\n"
         "Host: update.example.invalid\r\nAuthorization: Basic dTpw\r\n"},
    };
    for (const auto& c : cases) {
        LoopbackServer server({{testing::ReadRequest(), testing::Send(Ok("fine")), testing::CloseConnection()}});
        HttpClient client;
        if (c.route == Route::kProxy) {
            client.SetProxy("127.0.0.1", server.Port());
        }
        HttpRequestOptions options;
        options.SetExtraHeaders("Authorization: Basic dTpw\r\n");
        const std::string url = c.route == Route::kProxy ? c.path : Url(server, c.path);
        ASSERT_TRUE(client.SendRequest(url.c_str(), &options)) << url;
        EXPECT_EQ(std::string(client.GetBody(), client.GetBodyLength()), "fine");
        client.Close();
        auto received = server.Received();
        ASSERT_EQ(received.size(), 1u);
        EXPECT_EQ(received[0], c.expected + kUserAgent + "\r\n");
    }
}

struct ExchangeCase {
    const char* name;
    Script script;
    const char* method;
    bool result;
    int status;
    std::string body;
};

class HttpExchange : public ::testing::TestWithParam<ExchangeCase> {};

TEST_P(HttpExchange, ReadsResponse) {
    const ExchangeCase& c = GetParam();
    LoopbackServer server({c.script});
    HttpClient client;
    HttpRequestOptions options;
    options.SetMethod(c.method);
    options.timeout = 2000;
    EXPECT_EQ(client.SendRequest(Url(server, "/").c_str(), &options), c.result);
    EXPECT_EQ(client.GetStatus(), c.status);
    if (c.result) {
        EXPECT_EQ(std::string(client.GetBody(), client.GetBodyLength()), c.body);
    }
}

const std::string kChunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpExchange,
    ::testing::Values(
        ExchangeCase{"LengthBody", {testing::ReadRequest(), testing::Send(Ok("hello"))}, "GET", true,
                     200, "hello"},
        ExchangeCase{"ContinueThenOk",
                     {testing::ReadRequest(), testing::Send("HTTP/1.1 100 Continue\r\n\r\n"),
                      testing::Pause(20ms), testing::Send(Ok("after"))},
                     "GET", true, 200, "after"},
        ExchangeCase{"TrickledHeaders",
                     {testing::ReadRequest(), testing::Trickle(Ok("slow"), 3, 1ms)}, "GET", true,
                     200, "slow"},
        ExchangeCase{"ChunkedFivePlusThree",
                     {testing::ReadRequest(), testing::Send(kChunked + "5\r\nHello\r\n3\r\nABC\r\n0\r\n\r\n")},
                     "GET", true, 200, "HelloABC"},
        ExchangeCase{"ChunkExtensionFails",
                     {testing::ReadRequest(), testing::Send(kChunked + "5;x=1\r\nHello\r\n0\r\n\r\n"),
                      testing::CloseConnection()},
                     "GET", false, 200, ""},
        ExchangeCase{"ShortBodyThenCloseFails",
                     {testing::ReadRequest(),
                      testing::Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n" +
                                    std::string(50, 'x')),
                      testing::CloseConnection()},
                     "GET", false, 200, ""},
        ExchangeCase{"NoLengthReadsToClose",
                     {testing::ReadRequest(), testing::Send("HTTP/1.0 200 OK\r\n\r\nall of it"),
                      testing::CloseConnection()},
                     "GET", true, 200, "all of it"},
        ExchangeCase{"HeadReadsNoBody",
                     {testing::ReadRequest(),
                      testing::Send("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n")},
                     "HEAD", true, 200, ""},
        ExchangeCase{"NotFoundKeepsStatus",
                     {testing::ReadRequest(), testing::Send("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n")},
                     "GET", false, 404, ""},
        ExchangeCase{"ServerErrorKeepsStatus",
                     {testing::ReadRequest(), testing::Send("HTTP/1.0 500 Oops\r\nContent-Length: 0\r\n\r\n")},
                     "GET", false, 500, ""},
        ExchangeCase{"NoStatusNumber",
                     {testing::ReadRequest(), testing::Send("<html><body>hi</body>\r\n\r\n</html>"),
                      testing::CloseConnection()},
                     "GET", false, -1, ""},
        ExchangeCase{"RedirectWithoutLocation",
                     {testing::ReadRequest(), testing::Send("HTTP/1.0 302 Found\r\nContent-Length: 2\r\n\r\nno")},
                     "GET", true, 302, "no"},
        ExchangeCase{"HttpsLocationFails",
                     {testing::ReadRequest(),
                      testing::Send("HTTP/1.0 302 Found\r\nLocation: https://127.0.0.1/\r\nContent-Length: 0\r\n\r\n")},
                     "GET", false, 302, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HttpClient, RedirectReusesKeptAliveConnectionWithoutAuthorization) {
    LoopbackServer server({{testing::ReadRequest(),
                            testing::Send("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1/other\r\n"
                                          "Content-Length: 0\r\n\r\n"),
                            testing::ReadRequest(), testing::Send(Ok("moved"))}});
    HttpClient client;
    HttpRequestOptions options;
    options.SetExtraHeaders("Authorization: Basic dTpw\r\n");
    ASSERT_TRUE(client.SendRequest(Url(server, "/first").c_str(), &options));
    EXPECT_EQ(client.GetStatus(), 200);
    EXPECT_EQ(std::string(client.GetBody(), client.GetBodyLength()), "moved");
    client.Close();
    auto received = server.Received();
    ASSERT_EQ(received.size(), 1u);
    size_t second = received[0].find("GET /other HTTP/1.0\r\n");
    ASSERT_NE(second, std::string::npos);
    EXPECT_EQ(received[0].find("Authorization"), received[0].rfind("Authorization"));
    EXPECT_LT(received[0].find("Authorization"), second);
}

TEST(HttpClient, RelativeLocationIsTakenFromTheRoot) {
    LoopbackServer server({{testing::ReadRequest(),
                            testing::Send("HTTP/1.0 302 Found\r\nLocation: b.php\r\nConnection: close\r\n\r\n"),
                            testing::CloseConnection()},
                           {testing::ReadRequest(), testing::Send(Ok("b")), testing::CloseConnection()}});
    HttpClient client;
    ASSERT_TRUE(client.SendRequest(Url(server, "/dir/a.php").c_str()));
    EXPECT_EQ(client.GetStatus(), 200);
    auto received = server.Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[1].rfind("GET /b.php HTTP/1.0\r\n", 0), 0u);
}

TEST(HttpClient, RedirectLoopFailsInBoundedTime) {
    LoopbackServer server({{testing::ReadRequest(),
                            testing::Send("HTTP/1.1 301 Moved\r\nLocation: /loop\r\nContent-Length: 0\r\n\r\n"),
                            testing::Repeat()}});
    HttpClient client;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.SendRequest(Url(server, "/loop").c_str()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(client.GetStatus(), 301);
}

TEST(HttpClient, UnauthorizedFailsAtOnceAndCloses) {
    LoopbackServer server({{testing::ReadRequest(),
                            testing::Send("HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\n"
                                          "Content-Length: 0\r\n\r\n")}});
    HttpClient client;
    EXPECT_FALSE(client.SendRequest(Url(server, "/").c_str()));
    EXPECT_EQ(client.GetStatus(), 401);
    EXPECT_FALSE(client.IsConnected());
    ASSERT_EQ(client.GetChallenges().size(), 1u);
    auto received = server.Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].find("GET"), received[0].rfind("GET"));
}

TEST(HttpClient, SilentServerFailsAfterConfiguredTimeout) {
    LoopbackServer server({{testing::ReadRequest(), testing::Silent()}});
    HttpClient client;
    HttpRequestOptions options;
    options.timeout = 200;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.SendRequest(Url(server, "/").c_str(), &options));
    auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_GE(spent, 200ms);
    EXPECT_LT(spent, 3s);
    EXPECT_EQ(client.GetStatus(), -1);
}

TEST(HttpClient, RefusedConnectionFails) {
    uint16_t port = 0;
    {
        LoopbackServer gone(std::vector<Script>{Script{}});
        port = gone.Port();
    }
    HttpClient client;
    EXPECT_FALSE(client.SendRequest(("http://127.0.0.1:" + std::to_string(port) + "/").c_str()));
    EXPECT_EQ(client.GetStatus(), -1);
}

TEST(HttpClient, RefusesWhatCannotBeSentBeforeConnecting) {
    for (const char* url : {"", "https://127.0.0.1/", "http:/nohost", "mailto://x@y",
                            "ftp://127.0.0.1/"}) {
        HttpClient client;
        EXPECT_FALSE(client.SendRequest(url)) << url;
        EXPECT_EQ(client.GetStatus(), -1) << url;
    }
    HttpClient client;
    EXPECT_FALSE(client.SendRequest(nullptr));
    EXPECT_FALSE(client.SendRequest(("http://127.0.0.1/" + std::string(2100, 'a')).c_str()));
}

}  // namespace
}  // namespace vantrel::http
