// The plain Winsock calls of the stand-in: blocking sockets, a
// non-blocking connect awaited with select, recv, send and shutdown. Each
// case names the Windows behaviour it relies on; outputs and the last
// error are pre-filled with sentinels.
#include "loopback_listener.h"

#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <string>

namespace {

using namespace std::chrono_literals;

constexpr int kSentinel = 0x5EED;

class PlainSockets : public LoopbackListener {
protected:
    static SOCKADDR_IN Address(const char* dotted, uint16_t port) {
        SOCKADDR_IN address{};
        address.sin_family = VT_AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = VtWs_inet_addr(dotted);
        return address;
    }

    static int Connect(SOCKET s, const SOCKADDR_IN& address) {
        return VtWs_connect(s, reinterpret_cast<const SOCKADDR*>(&address), sizeof address);
    }

    // A blocking socket connected to the listener (by default directly),
    // and the accepted end.
    SOCKET Connected(const char* dotted = "127.0.0.1", uint16_t port = 0) {
        SOCKET s = VtWs_socket(VT_AF_INET, VT_SOCK_STREAM, VT_IPPROTO_TCP);
        EXPECT_NE(s, INVALID_SOCKET);
        // A failed connect leaves nothing to accept; accept would wait forever.
        if (Connect(s, Address(dotted, port ? port : m_port)) == 0) {
            m_peer = accept(m_listen, nullptr, nullptr);
        }
        EXPECT_GE(m_peer, 0);
        return s;
    }

    // Which sets still hold the socket after select, and its count.
    struct Ready {
        int count;
        bool read, write, except;
        bool operator==(const Ready&) const = default;
    };

    static Ready SelectOne(SOCKET s, bool read, bool write, bool except, long ms) {
        VtWsFdSet sets[3];
        for (VtWsFdSet& set : sets) VT_FD_ZERO(&set);
        if (read) VT_FD_SET(s, &sets[0]);
        if (write) VT_FD_SET(s, &sets[1]);
        if (except) VT_FD_SET(s, &sets[2]);
        VtWsTimeval limit = {ms / 1000, (ms % 1000) * 1000};
        int n = VtWs_select(0, read ? &sets[0] : nullptr, write ? &sets[1] : nullptr,
                            except ? &sets[2] : nullptr, &limit);
        return {n, VT_FD_ISSET(s, &sets[0]) != 0, VT_FD_ISSET(s, &sets[1]) != 0,
                VT_FD_ISSET(s, &sets[2]) != 0};
    }
};

// Windows: a blocking socket sends all it is given, and recv returns what
// has arrived, 0 once the peer shut its side.
TEST_F(PlainSockets, BlockingExchangeAndOrderlyClose) {
    SOCKET s = Connected();
    EXPECT_EQ(VtWs_send(s, "hello\n", 6, 0), 6);
    char buffer[16] = {};
    ASSERT_EQ(recv(m_peer, buffer, sizeof buffer, 0), 6);
    EXPECT_STREQ(buffer, "hello\n");

    ASSERT_EQ(::send(m_peer, "0\n", 2, 0), 2);
    EXPECT_EQ(VtWs_recv(s, buffer, 1, 2 /* MSG_PEEK */), 1);
    EXPECT_EQ(VtWs_recv(s, buffer, sizeof buffer, 0), 2);
    EXPECT_EQ(std::string(buffer, 2), "0\n");
    shutdown(m_peer, SHUT_WR);
    EXPECT_EQ(VtWs_recv(s, buffer, sizeof buffer, 0), 0);
    EXPECT_EQ(VtWs_shutdown(s, SD_BOTH), 0);
    EXPECT_EQ(closesocket(s), 0);
}

// Windows: select reduces each set to the ready sockets and returns their
// count; 0 with emptied sets when the time-out passes. Waiting burns no CPU.
TEST_F(PlainSockets, SelectWaitsForReadinessWithinItsTimeOut) {
    SOCKET s = Connected();
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SelectOne(s, true, false, true, 300), (Ready{0, false, false, false}));
    auto waited = std::chrono::steady_clock::now() - start;
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_GE(waited, 300ms);
    EXPECT_LT(waited, 1s);
    EXPECT_LT((after.ru_utime.tv_sec - before.ru_utime.tv_sec) * 1000000 +
                  (after.ru_utime.tv_usec - before.ru_utime.tv_usec),
              50000);

    EXPECT_EQ(SelectOne(s, true, true, false, 1000), (Ready{1, false, true, false}));
    ASSERT_EQ(::send(m_peer, "x", 1, 0), 1);
    EXPECT_EQ(SelectOne(s, true, true, false, 1000), (Ready{2, true, true, false}));
    closesocket(s);
}

// Windows: a non-blocking connect answers WSAEWOULDBLOCK; select shows the
// socket writable once connected, and only in the exception set when the
// connect failed.
TEST_F(PlainSockets, NonBlockingConnectOutcomeThroughSelect) {
    SOCKET s = VtWs_socket(VT_AF_INET, VT_SOCK_STREAM, VT_IPPROTO_TCP);
    unsigned long on = 1;
    ASSERT_EQ(ioctlsocket(s, VT_FIONBIO, &on), 0);
    WSASetLastError(kSentinel);
    int rc = Connect(s, Address("127.0.0.1", m_port));
    EXPECT_TRUE(rc == 0 || WSAGetLastError() == WSAEWOULDBLOCK);
    EXPECT_EQ(SelectOne(s, false, true, true, 2000), (Ready{1, false, true, false}));
    closesocket(s);

    // A port nobody listens on: the listener's, once closed.
    close(m_listen);
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    SOCKET refused = VtWs_socket(VT_AF_INET, VT_SOCK_STREAM, VT_IPPROTO_TCP);
    ASSERT_EQ(ioctlsocket(refused, VT_FIONBIO, &on), 0);
    if (Connect(refused, Address("127.0.0.1", m_port)) != 0) {
        EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    }
    EXPECT_EQ(SelectOne(refused, false, true, true, 2000), (Ready{1, false, false, true}));
    // Asked only whether it is writable, it never is: the wait runs out.
    EXPECT_EQ(SelectOne(refused, false, true, false, 200).count, 0);
    closesocket(refused);

    SOCKET blocking = VtWs_socket(VT_AF_INET, VT_SOCK_STREAM, VT_IPPROTO_TCP);
    WSASetLastError(kSentinel);
    EXPECT_EQ(Connect(blocking, Address("127.0.0.1", m_port)), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);
    closesocket(blocking);
}

// A connect-to rule for a dotted address reaches plain connects too.
TEST_F(PlainSockets, ConnectFollowsConnectToRules) {
    ASSERT_EQ(VtResolverAddConnectTo("192.0.2.1", 3495, "127.0.0.1", m_port), 0);
    closesocket(Connected("192.0.2.1", 3495));
}

TEST_F(PlainSockets, RefusesBadArgumentsWithWinsockCodes) {
    SOCKET s = Connected();
    const SOCKET bogus = s + 64;
    char byte = 0;
    unsigned long on = 1;
    VtWsFdSet empty;
    VT_FD_ZERO(&empty);
    VtWsFdSet readable;
    VT_FD_ZERO(&readable);
    VT_FD_SET(s, &readable);
    VtWsFdSet with_bogus;
    VT_FD_ZERO(&with_bogus);
    VT_FD_SET(bogus, &with_bogus);
    VtWsTimeval none = {0, 0};
    VtWsTimeval negative = {-1, 0};
    SOCKADDR_IN again = Address("127.0.0.1", m_port);
    const struct {
        const char* name;
        std::function<int()> call;
        int error;
    } cases[] = {
        // Windows: all three sets null or empty is WSAEINVAL.
        {"no sets", [&] { return VtWs_select(0, nullptr, nullptr, nullptr, &none); }, WSAEINVAL},
        {"empty sets", [&] { return VtWs_select(0, &empty, &empty, nullptr, &none); }, WSAEINVAL},
        {"negative time-out",
         [&] { return VtWs_select(0, &readable, nullptr, nullptr, &negative); }, WSAEINVAL},
        {"no socket in a set",
         [&] { return VtWs_select(0, &with_bogus, nullptr, nullptr, &none); }, WSAENOTSOCK},
        {"recv on no socket", [&] { return VtWs_recv(bogus, &byte, 1, 0); }, WSAENOTSOCK},
        {"recv out of band", [&] { return VtWs_recv(s, &byte, 1, 1); }, WSAEOPNOTSUPP},
        {"send without buffer", [&] { return VtWs_send(s, nullptr, 1, 0); }, WSAEFAULT},
        {"shutdown how 3", [&] { return VtWs_shutdown(s, 3); }, WSAEINVAL},
        {"unknown ioctl", [&] { return ioctlsocket(s, 0x4004667F, &on); }, WSAEINVAL},
        {"FIONBIO without argument", [&] { return ioctlsocket(s, VT_FIONBIO, nullptr); },
         WSAEFAULT},
        {"connect again", [&] { return Connect(s, again); }, WSAEISCONN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WSASetLastError(kSentinel);
        EXPECT_EQ(c.call(), SOCKET_ERROR);
        EXPECT_EQ(WSAGetLastError(), c.error);
    }
    closesocket(s);
}

// A receive that fails in the system is reported with its Winsock code.
TEST_F(PlainSockets, InjectedReceiveFailureBecomesAWsaCode) {
    SOCKET s = Connected();
    VtSocketFunctions functions{};
    functions.recv = [](int, void*, size_t, int) -> long { return errno = ECONNRESET, -1; };
    VtSetSocketFunctions(&functions);
    char byte = 0;
    WSASetLastError(kSentinel);
    EXPECT_EQ(VtWs_recv(s, &byte, 1, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
    VtSetSocketFunctions(nullptr);
    closesocket(s);
}

}  // namespace
