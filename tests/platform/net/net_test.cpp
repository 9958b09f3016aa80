// Windows Sockets of the stand-in, overlapped and plain, against a POSIX
// listener on 127.0.0.1. Each case names the Windows behaviour it relies
// on; outputs and last errors are pre-filled with sentinels. Exchanges,
// select's bounded waits and gethostbyname are judged through the GnuDIP
// and HTTP clients' tests.
#define VT_WINSOCK_NO_SHORT_NAMES
#include <platform/winsock.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

namespace {

constexpr int kSentinel = 0x5EED;

SOCKADDR_IN Address(const char* dotted, uint16_t port) {
    SOCKADDR_IN address{};
    address.sin_family = VT_AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = VtWs_inet_addr(dotted);
    return address;
}

int Connect(SOCKET s, const SOCKADDR_IN& address) {
    return VtWs_connect(s, reinterpret_cast<const SOCKADDR*>(&address), sizeof address);
}

// Winsock started, and a listener at a port the kernel picks. Injected
// system calls and connect-to rules are undone after each test.
class Sockets : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &data), 0);
        m_listen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ASSERT_EQ(bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(listen(m_listen, 4), 0);
        ASSERT_EQ(getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length), 0);
        m_port = ntohs(address.sin_port);
    }
    void TearDown() override {
        VtSetSocketFunctions(nullptr);
        VtResolverClearConnectTo();
        if (m_peer >= 0) {
            close(m_peer);
        }
        close(m_listen);
        WSACleanup();
    }

    // Closes the listener: its port then refuses connections.
    void CloseListener() {
        close(m_listen);
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    }

    // An overlapped socket connected to the listener, and the accepted end.
    SOCKET Overlapped() {
        SOCKET s = WSASocketA(VT_AF_INET, VT_SOCK_STREAM, 0, nullptr, 0, WSA_FLAG_OVERLAPPED);
        EXPECT_NE(s, INVALID_SOCKET);
        WSAEVENT connected = WSACreateEvent();
        EXPECT_EQ(WSAEventSelect(s, connected, FD_CONNECT), 0);
        const SOCKADDR_IN address = Address("127.0.0.1", m_port);
        // Winsock: a non-blocking connect reports WSAEWOULDBLOCK, then FD_CONNECT.
        if (WSAConnect(s, reinterpret_cast<const SOCKADDR*>(&address), sizeof address, nullptr,
                       nullptr, nullptr, nullptr) != 0) {
            EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
            EXPECT_EQ(WSAWaitForMultipleEvents(1, &connected, FALSE, 5000, FALSE),
                      WSA_WAIT_EVENT_0);
        }
        WSAEventSelect(s, WSA_INVALID_EVENT, 0);
        WSACloseEvent(connected);
        m_peer = accept(m_listen, nullptr, nullptr);
        return s;
    }

    // A blocking socket connected to the listener (by default directly),
    // and the accepted end.
    SOCKET Blocking(const char* dotted = "127.0.0.1", uint16_t port = 0) {
        SOCKET s = VtWs_socket(VT_AF_INET, VT_SOCK_STREAM, VT_IPPROTO_TCP);
        EXPECT_NE(s, INVALID_SOCKET);
        // A failed connect leaves nothing to accept; accept would wait forever.
        if (Connect(s, Address(dotted, port ? port : m_port)) == 0) {
            m_peer = accept(m_listen, nullptr, nullptr);
        }
        EXPECT_GE(m_peer, 0);
        return s;
    }

    int m_listen = -1;
    int m_peer = -1;
    uint16_t m_port = 0;
};

// One translation of errno; the unforeseen ones still read as a failure.
// (The codes of refused, reset, unreachable and unconnected sockets are
// checked where the calls fail.)
TEST(WinsockErrors, MapsErrnoInOnePlace) {
    const struct {
        int posix;
        int wsa;
    } table[] = {{0, 0}, {EPIPE, WSAECONNRESET}, {EMFILE, WSAEMFILE}, {ENOSPC, WSAEINVAL}};
    for (const auto& row : table) {
        EXPECT_EQ(VtWsaErrorFromErrno(row.posix), row.wsa) << row.posix;
    }
}

// Windows: 2.0 asked, 2.0 given, 2.2 highest; without a startup every
// call fails with WSANOTINITIALISED.
TEST(WinsockStartup, CountsStartupsAndRefusesUnbalancedCleanup) {
    WSADATA data;
    std::memset(&data, 0x55, sizeof data);
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &data), 0);
    EXPECT_EQ(data.wVersion, MAKEWORD(2, 0));
    EXPECT_EQ(data.wHighVersion, MAKEWORD(2, 2));
    EXPECT_EQ(WSACleanup(), 0);
    WSASetLastError(kSentinel);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    WSASetLastError(kSentinel);
    EXPECT_EQ(WSASocketA(VT_AF_INET, VT_SOCK_STREAM, 0, nullptr, 0, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

// (A wait that runs its full time is judged through the HTTP client.)
TEST_F(Sockets, EventsAreManualResetAndWaitsAreBounded) {
    WSAEVENT event = WSACreateEvent();
    ASSERT_NE(event, WSA_INVALID_EVENT);
    EXPECT_EQ(WSAWaitForMultipleEvents(1, &event, FALSE, 0, FALSE), WSA_WAIT_TIMEOUT);
    // Manual reset: a wait leaves the event signalled.
    EXPECT_TRUE(WSASetEvent(event));
    EXPECT_EQ(WSAWaitForMultipleEvents(1, &event, FALSE, 0, FALSE), WSA_WAIT_EVENT_0);
    EXPECT_EQ(WSAWaitForMultipleEvents(1, &event, FALSE, 0, FALSE), WSA_WAIT_EVENT_0);
    EXPECT_TRUE(WSAResetEvent(event));
    std::thread setter([&] { WSASetEvent(event); });
    EXPECT_EQ(WSAWaitForMultipleEvents(1, &event, FALSE, 5000, FALSE), WSA_WAIT_EVENT_0);
    setter.join();
    EXPECT_TRUE(WSACloseEvent(event));
}

// A cancelled receive ends aborted. Stand-in only: the last failure names
// the peer, so a host can explain a request the module gave up on; a
// cancelled wait counts as timed out. (Receives that complete, and the
// buffer of a cancelled one, are judged through the HTTP client.)
TEST_F(Sockets, CancelledReceiveIsRecordedAsTimedOut) {
    SOCKET s = Overlapped();
    ASSERT_GE(m_peer, 0);
    WSAOVERLAPPED overlapped{};
    overlapped.hEvent = WSACreateEvent();
    char buffer[16];
    WSABUF piece{sizeof buffer, buffer};
    DWORD count = kSentinel;
    DWORD flags = 0;
    VtNetClearLastFailure();
    VtNetFailure failure;
    std::memset(&failure, 0x5E, sizeof failure);
    VtNetGetLastFailure(&failure);
    EXPECT_EQ(failure.operation, VT_NET_NONE);
    EXPECT_STREQ(failure.peer, "");
    // Windows: nothing to read yet -> SOCKET_ERROR with WSA_IO_PENDING.
    ASSERT_EQ(WSARecv(s, &piece, 1, &count, &flags, &overlapped, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSA_IO_PENDING);
    EXPECT_TRUE(CancelIoEx(reinterpret_cast<HANDLE>(s), &overlapped));
    EXPECT_FALSE(WSAGetOverlappedResult(s, &overlapped, &count, FALSE, &flags));
    EXPECT_EQ(WSAGetLastError(), WSA_OPERATION_ABORTED);
    VtNetGetLastFailure(&failure);
    EXPECT_EQ(failure.error, WSAETIMEDOUT);
    EXPECT_EQ(failure.operation, VT_NET_RECEIVE);
    EXPECT_EQ(std::string(failure.peer), "127.0.0.1:" + std::to_string(m_port));
    WSACloseEvent(overlapped.hEvent);
    EXPECT_EQ(closesocket(s), 0);
}

TEST_F(Sockets, ResolverUsesConnectToOverrides) {
    // An empty host matches any host, a port of 0 any port; the first rule wins.
    ASSERT_EQ(VtResolverAddConnectTo("update.example.invalid", 80, "127.0.0.1", m_port), 0);
    ASSERT_EQ(VtResolverAddConnectTo("", 8080, "127.0.0.1", 0), 0);
    ASSERT_EQ(VtResolverAddConnectTo("any-port.example.invalid", 0, "127.0.0.1", 7), 0);
    const struct {
        const char* node;
        const char* service;
        USHORT port;
    } cases[] = {
        {"Update.Example.Invalid", "80", m_port},
        {"other.example.invalid", "8080", 8080},
        {"any-port.example.invalid", "443", 7},
    };
    ADDRINFOA hints{};
    hints.ai_socktype = VT_SOCK_STREAM;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.node);
        ADDRINFOA* info = reinterpret_cast<ADDRINFOA*>(1);
        ASSERT_EQ(GetAddrInfoA(c.node, c.service, &hints, &info), 0);
        EXPECT_EQ(info->ai_family, VT_AF_INET);
        EXPECT_EQ(info->ai_addr->sa_family, VT_AF_INET);
        const auto* address = reinterpret_cast<const sockaddr_in*>(info->ai_addr);
        EXPECT_EQ(ntohs(address->sin_port), c.port);
        EXPECT_EQ(ntohl(address->sin_addr.s_addr), INADDR_LOOPBACK);
        FreeAddrInfoA(info);
    }
}

// inet_addr gives network byte order; only the dotted quad is an address,
// and 255.255.255.255 cannot be told from INADDR_NONE.
TEST(WinsockNames, InetAddrTakesOnlyDottedQuads) {
    const struct {
        const char* text;
        ULONG expected;
    } cases[] = {
        {"1.2.3.4", htonl(0x01020304)},
        {"0.0.0.0", 0},
        {"255.255.255.255", INADDR_NONE},
        {"1.2.3", INADDR_NONE},
        {"", INADDR_NONE},
        {"256.1.1.1", INADDR_NONE},
        {"1.2.3.4 ", INADDR_NONE},
        {"localhost", INADDR_NONE},
        {"1.2.3.4.5", INADDR_NONE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VtWs_inet_addr(c.text), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(VtWs_inet_addr(nullptr), INADDR_NONE);
}

// A connect-to rule for a dotted address reaches plain connects too.
TEST_F(Sockets, ConnectFollowsConnectToRules) {
    ASSERT_EQ(VtResolverAddConnectTo("192.0.2.1", 3495, "127.0.0.1", m_port), 0);
    closesocket(Blocking("192.0.2.1", 3495));
}

// Which sets still hold the socket after select, and its count.
struct Ready {
    int count;
    bool read, write, except;
    bool operator==(const Ready&) const = default;
};

Ready SelectOne(SOCKET s, bool read, bool write, bool except, long ms) {
    VtWsFdSet sets[3];
    for (VtWsFdSet& set : sets) {
        VT_FD_ZERO(&set);
    }
    VtWsFdSet* chosen[3] = {read ? &sets[0] : nullptr, write ? &sets[1] : nullptr,
                            except ? &sets[2] : nullptr};
    for (VtWsFdSet* set : chosen) {
        if (set != nullptr) {
            VT_FD_SET(s, set);
        }
    }
    VtWsTimeval limit = {ms / 1000, (ms % 1000) * 1000};
    const int n = VtWs_select(0, chosen[0], chosen[1], chosen[2], &limit);
    return {n, VT_FD_ISSET(s, &sets[0]) != 0, VT_FD_ISSET(s, &sets[1]) != 0,
            VT_FD_ISSET(s, &sets[2]) != 0};
}

// Windows: a non-blocking connect answers WSAEWOULDBLOCK; select shows the
// socket writable once connected, and only in the exception set when the
// connect failed.
TEST_F(Sockets, NonBlockingConnectOutcomeThroughSelect) {
    unsigned long on = 1;
    for (bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "refused" : "accepted");
        if (refused) {
            CloseListener();
        }
        SOCKET s = VtWs_socket(VT_AF_INET, VT_SOCK_STREAM, VT_IPPROTO_TCP);
        ASSERT_EQ(ioctlsocket(s, VT_FIONBIO, &on), 0);
        WSASetLastError(kSentinel);
        if (Connect(s, Address("127.0.0.1", m_port)) != 0) {
            EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
        }
        EXPECT_EQ(SelectOne(s, false, true, true, 2000), (Ready{1, false, !refused, refused}));
        // Asked only whether it is writable, it never is: the wait runs out.
        EXPECT_EQ(SelectOne(s, false, true, false, 200).count, refused ? 0 : 1);
        closesocket(s);
    }
}

// Bad arguments, and system calls made to fail, end with the Winsock code.
// (WSARecv and WSASend failures are checked through the HTTP client.)
TEST_F(Sockets, FailuresEndWithWinsockCodes) {
    SOCKET s = Blocking();
    SOCKET unconnected = WSASocketA(VT_AF_INET, VT_SOCK_STREAM, 0, nullptr, 0, 0);
    char byte = 0;
    VtWsTimeval none = {0, 0};
    const SOCKADDR_IN again = Address("127.0.0.1", m_port);
    VtSocketFunctions failing{};
    failing.recv = [](int, void*, size_t, int) -> long { return errno = ECONNRESET, -1; };
    failing.connect = [](int, const void*, unsigned) { return errno = ENETUNREACH, -1; };
    const struct {
        const char* name;
        std::function<int()> call;
        int error;
    } cases[] = {
        // Windows: all three sets null or empty is WSAEINVAL.
        {"no sets", [&] { return VtWs_select(0, nullptr, nullptr, nullptr, &none); }, WSAEINVAL},
        {"recv on no socket", [&] { return VtWs_recv(s + 64, &byte, 1, 0); }, WSAENOTSOCK},
        {"send without buffer", [&] { return VtWs_send(s, nullptr, 1, 0); }, WSAEFAULT},
        {"connect again", [&] { return Connect(s, again); }, WSAEISCONN},
        {"connect failing",
         [&] {
             VtSetSocketFunctions(&failing);
             return Connect(unconnected, again);
         },
         WSAENETUNREACH},
        {"recv failing",
         [&] {
             VtSetSocketFunctions(&failing);
             return VtWs_recv(s, &byte, 1, 0);
         },
         WSAECONNRESET},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WSASetLastError(kSentinel);
        EXPECT_EQ(c.call(), SOCKET_ERROR);
        EXPECT_EQ(WSAGetLastError(), c.error);
    }
    // The failed recv is the last failure on record, for the host's reason line.
    VtNetFailure failure;
    VtNetGetLastFailure(&failure);
    EXPECT_EQ(failure.operation, VT_NET_RECEIVE);
    EXPECT_EQ(failure.error, WSAECONNRESET);
    closesocket(unconnected);
    closesocket(s);
}

}  // namespace
