// Windows Sockets of the stand-in. Each case names the Windows behaviour
// it relies on; outputs and last errors are pre-filled with sentinels.
#include "loopback_listener.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr int kSentinel = 0x5EED;

class Winsock : public LoopbackListener {
protected:
    // A connected stand-in socket and the accepted POSIX end.
    SOCKET Connected() {
        ADDRINFOA* info = nullptr;
        EXPECT_EQ(GetAddrInfoA("127.0.0.1", std::to_string(m_port).c_str(), nullptr, &info), 0);
        SOCKET s = WSASocketA(VT_AF_INET, VT_SOCK_STREAM, 0, nullptr, 0, WSA_FLAG_OVERLAPPED);
        EXPECT_NE(s, INVALID_SOCKET);
        WSAEVENT connected = WSACreateEvent();
        EXPECT_EQ(WSAEventSelect(s, connected, FD_CONNECT), 0);
        // Winsock: a non-blocking connect reports WSAEWOULDBLOCK, then FD_CONNECT.
        if (WSAConnect(s, info->ai_addr, static_cast<int>(info->ai_addrlen), nullptr, nullptr,
                       nullptr, nullptr) != 0) {
            EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
            EXPECT_EQ(WSAWaitForMultipleEvents(1, &connected, FALSE, 5000, FALSE), WSA_WAIT_EVENT_0);
        }
        WSAEventSelect(s, WSA_INVALID_EVENT, 0);
        WSACloseEvent(connected);
        FreeAddrInfoA(info);
        m_peer = accept(m_listen, nullptr, nullptr);
        return s;
    }
};

// One translation of errno; the unforeseen ones still read as a failure.
TEST(WinsockErrors, MapsErrnoInOnePlace) {
    const struct {
        int posix;
        int wsa;
    } table[] = {
        {0, 0}, {EAGAIN, WSAEWOULDBLOCK}, {EINPROGRESS, WSAEINPROGRESS},
        {ENOTCONN, WSAENOTCONN}, {ETIMEDOUT, WSAETIMEDOUT}, {ECONNREFUSED, WSAECONNREFUSED},
        {ECONNRESET, WSAECONNRESET}, {EPIPE, WSAECONNRESET}, {ENETUNREACH, WSAENETUNREACH},
        {EHOSTUNREACH, WSAEHOSTUNREACH}, {EADDRINUSE, WSAEADDRINUSE}, {EMFILE, WSAEMFILE},
        {ENOBUFS, WSAENOBUFS}, {EINTR, WSAEINTR}, {EBADF, WSAEBADF},
        {ENOTSOCK, WSAENOTSOCK}, {EAFNOSUPPORT, WSAEAFNOSUPPORT}, {ENOSPC, WSAEINVAL},
    };
    for (const auto& row : table) EXPECT_EQ(VtWsaErrorFromErrno(row.posix), row.wsa) << row.posix;
}

TEST(WinsockStartup, CountsStartupsAndRefusesUnbalancedCleanup) {
    WSADATA data;
    std::memset(&data, 0x55, sizeof data);
    // Windows: 2.0 asked, 2.0 given, 2.2 highest.
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &data), 0);
    EXPECT_EQ(data.wVersion, MAKEWORD(2, 0));
    EXPECT_EQ(data.wHighVersion, MAKEWORD(2, 2));
    EXPECT_EQ(WSAStartup(MAKEWORD(0, 0), &data), WSAVERNOTSUPPORTED);
    EXPECT_EQ(WSACleanup(), 0);
    WSASetLastError(kSentinel);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(WSASocketA(VT_AF_INET, VT_SOCK_STREAM, 0, nullptr, 0, 0), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

TEST_F(Winsock, EventsAreManualResetAndWaitsAreBounded) {
    WSAEVENT events[2] = {WSACreateEvent(), WSACreateEvent()};
    ASSERT_NE(events[0], WSA_INVALID_EVENT);
    EXPECT_EQ(WSAWaitForMultipleEvents(2, events, FALSE, 0, FALSE), WSA_WAIT_TIMEOUT);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WSAWaitForMultipleEvents(2, events, FALSE, 50, FALSE), WSA_WAIT_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_TRUE(WSASetEvent(events[1]));
    EXPECT_EQ(WSAWaitForMultipleEvents(2, events, FALSE, 0, FALSE), WSA_WAIT_EVENT_0 + 1);
    EXPECT_EQ(WSAWaitForMultipleEvents(2, events, TRUE, 0, FALSE), WSA_WAIT_TIMEOUT);
    // Manual reset: the wait leaves the event signalled.
    EXPECT_EQ(WSAWaitForMultipleEvents(1, &events[1], FALSE, 0, FALSE), WSA_WAIT_EVENT_0);
    EXPECT_TRUE(WSAResetEvent(events[1]));
    // A set from another thread wakes a waiter.
    std::thread setter([&] { WSASetEvent(events[0]); });
    EXPECT_EQ(WSAWaitForMultipleEvents(2, events, FALSE, 5000, FALSE), WSA_WAIT_EVENT_0);
    setter.join();
    EXPECT_TRUE(WSACloseEvent(events[0]));
    EXPECT_TRUE(WSACloseEvent(events[1]));
    WSASetLastError(kSentinel);
    EXPECT_FALSE(WSACloseEvent(events[0]));
    EXPECT_EQ(WSAGetLastError(), WSA_INVALID_HANDLE);
}

TEST_F(Winsock, OverlappedReceiveCompletesInWaitAndCancelLeavesBufferAlone) {
    SOCKET s = Connected();
    ASSERT_GE(m_peer, 0);
    WSAOVERLAPPED overlapped{};
    overlapped.hEvent = WSACreateEvent();
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    WSABUF piece{sizeof buffer, buffer};
    DWORD count = kSentinel, flags = 0;
    // Windows: nothing to read yet -> SOCKET_ERROR with WSA_IO_PENDING.
    ASSERT_EQ(WSARecv(s, &piece, 1, &count, &flags, &overlapped, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSA_IO_PENDING);
    EXPECT_FALSE(WSAGetOverlappedResult(s, &overlapped, &count, FALSE, &flags));
    EXPECT_EQ(WSAGetLastError(), WSA_IO_INCOMPLETE);
    ASSERT_EQ(send(m_peer, "abc", 3, 0), 3);
    EXPECT_EQ(WSAWaitForMultipleEvents(1, &overlapped.hEvent, FALSE, 5000, FALSE), WSA_WAIT_EVENT_0);
    EXPECT_TRUE(WSAGetOverlappedResult(s, &overlapped, &count, FALSE, &flags));
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(std::string(buffer, 4), "abc#");

    // Cancelled: ends aborted, and later data never lands in the buffer.
    std::memset(buffer, '#', sizeof buffer);
    WSAResetEvent(overlapped.hEvent);
    ASSERT_EQ(WSARecv(s, &piece, 1, &count, &flags, &overlapped, nullptr), SOCKET_ERROR);
    EXPECT_TRUE(CancelIoEx(reinterpret_cast<HANDLE>(s), &overlapped));
    EXPECT_FALSE(WSAGetOverlappedResult(s, &overlapped, &count, FALSE, &flags));
    EXPECT_EQ(WSAGetLastError(), WSA_OPERATION_ABORTED);
    ASSERT_EQ(send(m_peer, "late", 4, 0), 4);
    char other[8] = {};
    WSABUF second{sizeof other, other};
    WSAResetEvent(overlapped.hEvent);
    if (WSARecv(s, &second, 1, &count, &flags, &overlapped, nullptr) != 0) {
        EXPECT_TRUE(WSAGetOverlappedResult(s, &overlapped, &count, TRUE, &flags));
    }
    EXPECT_EQ(std::string(other, count), "late");
    EXPECT_EQ(buffer[0], '#');
    WSASetLastError(kSentinel);
    EXPECT_FALSE(CancelIoEx(reinterpret_cast<HANDLE>(s), &overlapped));
    EXPECT_EQ(WSAGetLastError(), 1168);  // ERROR_NOT_FOUND
    WSACloseEvent(overlapped.hEvent);
    EXPECT_EQ(closesocket(s), 0);
    // Windows: a closed handle is not a socket any more.
    EXPECT_EQ(closesocket(s), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

// Stand-in only: the last failure names the peer, so a host can explain a
// request the module gave up on; a cancelled wait counts as timed out.
TEST_F(Winsock, LastFailureNamesThePeer) {
    VtNetClearLastFailure();
    VtNetFailure failure;
    std::memset(&failure, 0x5E, sizeof failure);
    VtNetGetLastFailure(&failure);
    EXPECT_EQ(failure.error, 0);
    EXPECT_EQ(failure.operation, VT_NET_NONE);
    EXPECT_STREQ(failure.peer, "");

    // A port nothing listens on: bound, then closed.
    int gone = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(gone, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(getsockname(gone, reinterpret_cast<sockaddr*>(&address), &length), 0);
    close(gone);
    SOCKET s = WSASocketA(VT_AF_INET, VT_SOCK_STREAM, 0, nullptr, 0, WSA_FLAG_OVERLAPPED);
    WSAEVENT connected = WSACreateEvent();
    ASSERT_EQ(WSAEventSelect(s, connected, FD_CONNECT), 0);
    SOCKADDR_IN target{};
    target.sin_family = VT_AF_INET;
    target.sin_port = address.sin_port;
    target.sin_addr.s_addr = address.sin_addr.s_addr;
    if (WSAConnect(s, reinterpret_cast<SOCKADDR*>(&target), sizeof target, nullptr, nullptr,
                   nullptr, nullptr) != 0) {
        EXPECT_EQ(WSAWaitForMultipleEvents(1, &connected, FALSE, 5000, FALSE), WSA_WAIT_EVENT_0);
    }
    VtNetGetLastFailure(&failure);
    EXPECT_EQ(failure.error, WSAECONNREFUSED);
    EXPECT_EQ(failure.operation, VT_NET_CONNECT);
    EXPECT_EQ(std::string(failure.peer), "127.0.0.1:" + std::to_string(ntohs(address.sin_port)));
    WSACloseEvent(connected);
    closesocket(s);

    SOCKET c = Connected();
    WSAOVERLAPPED overlapped{};
    overlapped.hEvent = WSACreateEvent();
    char buffer[4];
    WSABUF piece{sizeof buffer, buffer};
    DWORD count = 0, flags = 0;
    ASSERT_EQ(WSARecv(c, &piece, 1, &count, &flags, &overlapped, nullptr), SOCKET_ERROR);
    EXPECT_TRUE(CancelIoEx(reinterpret_cast<HANDLE>(c), &overlapped));
    VtNetGetLastFailure(&failure);
    EXPECT_EQ(failure.error, WSAETIMEDOUT);
    EXPECT_EQ(failure.operation, VT_NET_RECEIVE);
    EXPECT_EQ(std::string(failure.peer), "127.0.0.1:" + std::to_string(m_port));
    WSACloseEvent(overlapped.hEvent);
    closesocket(c);
}

// Windows: a peer's close completes a receive with zero bytes.
TEST_F(Winsock, PeerCloseIsAZeroByteReceive) {
    SOCKET s = Connected();
    close(m_peer);
    m_peer = -1;
    char buffer[4];
    WSABUF piece{sizeof buffer, buffer};
    WSAOVERLAPPED overlapped{};
    overlapped.hEvent = WSACreateEvent();
    DWORD count = kSentinel, flags = 0;
    if (WSARecv(s, &piece, 1, &count, &flags, &overlapped, nullptr) != 0) {
        ASSERT_EQ(WSAGetLastError(), WSA_IO_PENDING);
        ASSERT_TRUE(WSAGetOverlappedResult(s, &overlapped, &count, TRUE, &flags));
    }
    EXPECT_EQ(count, 0u);
    WSACloseEvent(overlapped.hEvent);
    closesocket(s);
}

long FailingRecv(int, void*, size_t, int) { return errno = ECONNRESET, -1; }
int FailingConnect(int, const void*, unsigned) { return errno = ENETUNREACH, -1; }

TEST_F(Winsock, InjectedFailuresBecomeWsaCodes) {
    SOCKET s = Connected();
    VtSocketFunctions functions{};
    functions.recv = FailingRecv;
    VtSetSocketFunctions(&functions);
    char buffer[4];
    WSABUF piece{sizeof buffer, buffer};
    DWORD count = kSentinel, flags = 0;
    WSAOVERLAPPED overlapped{};
    EXPECT_EQ(WSARecv(s, &piece, 1, &count, &flags, &overlapped, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
    closesocket(s);

    functions = VtSocketFunctions{};
    functions.connect = FailingConnect;
    VtSetSocketFunctions(&functions);
    SOCKET t = WSASocketA(VT_AF_INET, VT_SOCK_STREAM, 0, nullptr, 0, WSA_FLAG_OVERLAPPED);
    ADDRINFOA* info = nullptr;
    ASSERT_EQ(GetAddrInfoA("127.0.0.1", "9", nullptr, &info), 0);
    EXPECT_EQ(WSAConnect(t, info->ai_addr, static_cast<int>(info->ai_addrlen), nullptr, nullptr,
                         nullptr, nullptr),
              SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENETUNREACH);
    FreeAddrInfoA(info);
    // Windows: a send on a socket that never connected is WSAENOTCONN, count untouched.
    piece.len = 1;
    DWORD sent = kSentinel;
    EXPECT_EQ(WSASend(t, &piece, 1, &sent, 0, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTCONN);
    EXPECT_EQ(sent, static_cast<DWORD>(kSentinel));
    closesocket(t);
}

TEST_F(Winsock, ResolverUsesConnectToOverridesAndWinsockCodes) {
    // An empty host matches any host, a port of 0 any port; the first rule wins.
    ASSERT_EQ(VtResolverAddConnectTo("update.example.invalid", 80, "127.0.0.1", m_port), 0);
    ASSERT_EQ(VtResolverAddConnectTo("", 8080, "127.0.0.1", 0), 0);
    ASSERT_EQ(VtResolverAddConnectTo("any-port.example.invalid", 0, "127.0.0.1", 7), 0);
    struct {
        const char* node;
        const char* service;
        USHORT port;
    } const cases[] = {
        {"Update.Example.Invalid", "80", m_port},
        {"other.example.invalid", "8080", 8080},
        {"any-port.example.invalid", "443", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.node);
        ADDRINFOA hints{};
        hints.ai_socktype = VT_SOCK_STREAM;
        ADDRINFOA* info = reinterpret_cast<ADDRINFOA*>(1);
        ASSERT_EQ(GetAddrInfoA(c.node, c.service, &hints, &info), 0);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->ai_family, VT_AF_INET);
        EXPECT_EQ(info->ai_addr->sa_family, VT_AF_INET);
        const auto* address = reinterpret_cast<const sockaddr_in*>(info->ai_addr);
        EXPECT_EQ(ntohs(address->sin_port), c.port);
        EXPECT_EQ(ntohl(address->sin_addr.s_addr), INADDR_LOOPBACK);
        FreeAddrInfoA(info);
    }
    VtResolverClearConnectTo();

    // Numeric-only, so nothing is looked up: Windows gives WSAHOST_NOT_FOUND.
    ADDRINFOA hints{};
    hints.ai_flags = 4;  // AI_NUMERICHOST
    ADDRINFOA* info = reinterpret_cast<ADDRINFOA*>(1);
    EXPECT_EQ(GetAddrInfoA("not-an-address", "80", &hints, &info), WSAHOST_NOT_FOUND);
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
}

// inet_addr gives network byte order; only the dotted quad is an address,
// and 255.255.255.255 cannot be told from INADDR_NONE.
TEST(WinsockNames, InetAddrTakesOnlyDottedQuads) {
    struct {
        const char* text;
        ULONG expected;
    } const cases[] = {
        {"1.2.3.4", htonl(0x01020304)},  {"127.0.0.1", htonl(INADDR_LOOPBACK)},
        {"0.0.0.0", 0},                  {"255.255.255.255", INADDR_NONE},
        {"1.2.3", INADDR_NONE},          {"", INADDR_NONE},
        {"256.1.1.1", INADDR_NONE},      {"1.2.3.4 ", INADDR_NONE},
        {"localhost", INADDR_NONE},      {"1.2.3.4.5", INADDR_NONE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VtWs_inet_addr(c.text), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(VtWs_inet_addr(nullptr), INADDR_NONE);
}

ULONG FirstAddress(const HOSTENT* entry) {
    ULONG address = 0;
    std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    return address;
}

TEST_F(Winsock, GethostbynameResolvesDottedLocalAndRedirectedNames) {
    WSASetLastError(kSentinel);
    HOSTENT* entry = VtWs_gethostbyname("192.0.2.7");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->h_addrtype, VT_AF_INET);
    EXPECT_EQ(entry->h_length, 4);
    EXPECT_EQ(FirstAddress(entry), htonl(0xC0000207));
    EXPECT_EQ(entry->h_addr_list[1], nullptr);

    entry = VtWs_gethostbyname("localhost");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(FirstAddress(entry), htonl(INADDR_LOOPBACK));

    // A redirected name is not looked up: the rule's address comes back.
    ASSERT_EQ(VtResolverAddConnectTo("gnudip.example.invalid", 3495, "127.0.0.2", 0), 0);
    entry = VtWs_gethostbyname("gnudip.example.invalid");
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->h_name, "gnudip.example.invalid");
    EXPECT_EQ(FirstAddress(entry), htonl(0x7F000002));
    VtResolverClearConnectTo();
    EXPECT_EQ(WSAGetLastError(), kSentinel);

    WSASetLastError(kSentinel);
    EXPECT_EQ(VtWs_gethostbyname(nullptr), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
}

// Windows: name resolution before WSAStartup fails with WSANOTINITIALISED.
TEST(WinsockNames, GethostbynameNeedsStartup) {
    WSASetLastError(kSentinel);
    EXPECT_EQ(VtWs_gethostbyname("127.0.0.1"), nullptr);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

}  // namespace
