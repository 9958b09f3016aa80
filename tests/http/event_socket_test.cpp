// EventSocket: last errors, bounded waits, and that an abandoned receive
// never completes into its buffer; failures injected below the sockets.
#include "http/event_socket.h"
#include "http/http_client.h"
#include "loopback_server.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace vantrel::http {
namespace {

using namespace std::chrono_literals;
using testing::LoopbackServer;
using testing::Script;

TEST(EventSocket, SendAndReceiveWithoutConnectionAreNotConnected) {
    EventSocket socket;
    int count = 0x5EED;
    char buffer[4];
    EXPECT_FALSE(socket.Send("x", 1, &count));
    EXPECT_EQ(socket.LastError(), WSAENOTCONN);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(socket.Receive(buffer, sizeof buffer, &count));
    EXPECT_EQ(socket.LastError(), WSAENOTCONN);
    socket.Close();
    socket.Close();
    EXPECT_FALSE(socket.IsConnected());
}

TEST(EventSocket, RefusedConnectKeepsWinsockCode) {
    uint16_t port = 0;
    {
        LoopbackServer gone(std::vector<Script>{Script{}});
        port = gone.Port();
    }
    EventSocket socket;
    EXPECT_FALSE(socket.Connect("127.0.0.1", port));
    EXPECT_EQ(socket.LastError(), WSAECONNREFUSED);
    EXPECT_FALSE(socket.IsConnected());
}

TEST(EventSocket, TimedOutReceiveLeavesBufferAlone) {
    LoopbackServer server({{testing::Pause(300ms), testing::Send("late")}});
    EventSocket socket;
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.Port()));
    EXPECT_TRUE(socket.Connect("127.0.0.1", server.Port()));  // already connected: nothing to do
    socket.SetTimeout(50);
    char abandoned[8];
    std::memset(abandoned, '#', sizeof abandoned);
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

class InjectedFailure : public ::testing::Test {
protected:
    void TearDown() override { VtSetSocketFunctions(nullptr); }
    void Inject(VtSocketFunctions functions, int fail_from) {
        g_calls = 0;
        g_fail_from = fail_from;
        VtSetSocketFunctions(&functions);
    }
};

TEST_F(InjectedFailure, FailedSendFailsRequestWithoutStatus) {
    LoopbackServer server({{testing::ReadRequest(), testing::Send("HTTP/1.0 200 OK\r\n\r\n")}});
    Inject({nullptr, nullptr, FlakySend, nullptr, nullptr}, 1);
    HttpClient client;
    EXPECT_FALSE(client.SendRequest(("http://127.0.0.1:" + std::to_string(server.Port()) + "/").c_str()));
    EXPECT_EQ(client.GetStatus(), -1);
    EXPECT_FALSE(client.IsConnected());
}

TEST_F(InjectedFailure, ResetWhileReadingFailsEachPart) {
    const std::string response = "HTTP/1.0 200 OK\r\nContent-Length: 6000\r\n\r\n" + std::string(6000, 'b');
    // Fail the first receive (header block), or a later one (the body).
    for (int fail_from : {1, 3}) {
        LoopbackServer server({{testing::ReadRequest(), testing::Trickle(response, 2048, 5ms)}});
        Inject({nullptr, nullptr, nullptr, FlakyRecv, nullptr}, fail_from);
        HttpClient client;
        EXPECT_FALSE(client.SendRequest(("http://127.0.0.1:" + std::to_string(server.Port()) + "/").c_str()))
            << fail_from;
        EXPECT_EQ(client.GetStatus(), fail_from == 1 ? -1 : 200) << fail_from;
    }
}

}  // namespace
}  // namespace vantrel::http
