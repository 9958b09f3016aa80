// EventSocket: last errors, bounded waits, and that an abandoned receive
// never completes into its buffer; failures injected below the sockets.
#include "http/event_socket.h"
#include "http/http_client.h"
#include "loopback_server.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <cerrno>
#include <chrono>

namespace vantrel::http {
namespace {

using namespace std::chrono_literals;
using testing::LoopbackServer;
using testing::Script;

TEST(EventSocket, UnconnectedSocketKeepsWinsockCodes) {
    EventSocket socket;
    int count = 0x5EED;
    char buffer[4];
    EXPECT_FALSE(socket.Send("x", 1, &count));
    EXPECT_EQ(socket.LastError(), WSAENOTCONN);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(socket.Receive(buffer, sizeof buffer, &count));
    EXPECT_EQ(socket.LastError(), WSAENOTCONN);
    uint16_t closed_port = LoopbackServer(std::vector<Script>{Script{}}).Port();
    EXPECT_FALSE(socket.Connect("127.0.0.1", closed_port));
    EXPECT_EQ(socket.LastError(), WSAECONNREFUSED);
    socket.Close();
    socket.Close();
    EXPECT_FALSE(socket.IsConnected());
}

TEST(EventSocket, TimedOutReceiveLeavesBufferAlone) {
    LoopbackServer server({{testing::Pause(300ms), testing::Send("late")}});
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

// Fails every call from the n-th on.
int g_calls = 0;
int g_fail_from = 0;
long FlakySend(int fd, const void* buffer, size_t length, int flags) {
    if (++g_calls >= g_fail_from) {
        errno = EPIPE;
        return -1;
    }
    return send(fd, buffer, length, flags);
}
long FlakyRecv(int fd, void* buffer, size_t length, int flags) {
    if (++g_calls >= g_fail_from) {
        errno = ECONNRESET;
        return -1;
    }
    return recv(fd, buffer, length, flags);
}

TEST(HttpClient, SocketFailureFailsTheRequestWhereItHappens) {
    const std::string response =
        "HTTP/1.0 200 OK\r\nContent-Length: 6000\r\n\r\n" + std::string(6000, 'b');
    const struct {
        VtSocketFunctions functions;
        int fail_from;
        int status;
    } cases[] = {
        {{nullptr, nullptr, FlakySend, nullptr, nullptr}, 1, -1},   // the request
        {{nullptr, nullptr, nullptr, FlakyRecv, nullptr}, 1, -1},   // the header block
        {{nullptr, nullptr, nullptr, FlakyRecv, nullptr}, 3, 200},  // the body
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fail_from);
        LoopbackServer server({{testing::ReadRequest(), testing::Trickle(response, 2048, 5ms)}});
        g_calls = 0;
        g_fail_from = c.fail_from;
        VtSetSocketFunctions(&c.functions);
        HttpClient client;
        bool sent =
            client.SendRequest(("http://127.0.0.1:" + std::to_string(server.Port()) + "/").c_str());
        VtSetSocketFunctions(nullptr);
        EXPECT_FALSE(sent);
        EXPECT_EQ(client.GetStatus(), c.status);
        EXPECT_FALSE(client.IsConnected());
    }
}

}  // namespace
}  // namespace vantrel::http
