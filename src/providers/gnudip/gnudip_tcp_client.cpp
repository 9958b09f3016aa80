#include "providers/gnudip/gnudip_tcp_client.h"

#include "providers/gnudip/gnudip_digest.h"

#include <cstring>

namespace vantrel::gnudip {

namespace {

constexpr long kConnectWaitSeconds = 10;
constexpr long kReceiveWaitSeconds = 5;
constexpr long kSendWaitSeconds = 2;
constexpr int kWaitAttempts = 3;

}  // namespace

GnuDIPTcpClient::GnuDIPTcpClient(const Text& host, uint16_t port) : m_host(host), m_port(port) {
    WSADATA data;
    m_started = WSAStartup(MAKEWORD(2, 0), &data) == 0;
}

GnuDIPTcpClient::~GnuDIPTcpClient() {
    CloseSocket();
    if (m_started) {
        WSACleanup();
    }
}

void GnuDIPTcpClient::Set(const Text& user, const Text& password, const Text& domain,
                          const Text& address, RequestCode code) {
    m_request = Request{user, password, domain, address, code};
}

// A non-blocking connect awaited with select bounds the connect, which a
// blocking one would not be; the socket is blocking again afterwards.
bool GnuDIPTcpClient::Connect() {
    // Settings that never saw the server dialog name no server; Windows
    // would answer the local host for "", which has no GnuDIP server either.
    if (m_host.IsEmpty()) {
        return false;
    }
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_socket == INVALID_SOCKET) {
        return false;
    }
    SOCKADDR_IN server;
    std::memset(&server, 0, sizeof server);
    server.sin_family = AF_INET;
    server.sin_port = htons(m_port);
    server.sin_addr.s_addr = inet_addr(m_host.CStr());
    if (server.sin_addr.s_addr == INADDR_NONE) {
        HOSTENT* entry = gethostbyname(m_host.CStr());
        if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list[0] == nullptr) {
            return false;
        }
        std::memcpy(&server.sin_addr.s_addr, entry->h_addr_list[0], sizeof server.sin_addr.s_addr);
    }
    u_long nonblocking = 1;
    if (ioctlsocket(m_socket, FIONBIO, &nonblocking) != 0) {
        return false;
    }
    if (connect(m_socket, reinterpret_cast<const SOCKADDR*>(&server), sizeof server) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        return false;
    }
    // Winsock reports a failed non-blocking connect in the exception set.
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(m_socket, &writable);
    FD_SET(m_socket, &failed);
    timeval limit = {kConnectWaitSeconds, 0};
    if (select(0, nullptr, &writable, &failed, &limit) != 1 || !FD_ISSET(m_socket, &writable)) {
        return false;
    }
    nonblocking = 0;
    return ioctlsocket(m_socket, FIONBIO, &nonblocking) == 0;
}

bool GnuDIPTcpClient::WaitReady(Readiness readiness, long seconds) {
    for (int attempt = 0; attempt < kWaitAttempts; ++attempt) {
        fd_set sockets;
        FD_ZERO(&sockets);
        FD_SET(m_socket, &sockets);
        timeval limit = {seconds, 0};
        int ready = readiness == Readiness::kRead ? select(0, &sockets, nullptr, nullptr, &limit)
                                                  : select(0, nullptr, &sockets, nullptr, &limit);
        if (ready == 1 && FD_ISSET(m_socket, &sockets)) {
            return true;
        }
    }
    return false;
}

bool GnuDIPTcpClient::ReadLine(LineBuffer& line) {
    line.Clear();
    for (;;) {
        if (!WaitReady(Readiness::kRead, kReceiveWaitSeconds)) {
            return false;
        }
        int received = recv(m_socket, line.Space(), line.Room(), 0);
        if (received <= 0) {
            return false;
        }
        switch (line.Commit(received)) {
        case LineBuffer::State::kComplete:
            return true;
        case LineBuffer::State::kFull:
            return false;
        case LineBuffer::State::kIncomplete:
            break;
        }
    }
}

bool GnuDIPTcpClient::SendAll(const Text& bytes) {
    int sent = 0;
    while (sent < bytes.Length()) {
        if (!WaitReady(Readiness::kWrite, kSendWaitSeconds)) {
            return false;
        }
        int count = send(m_socket, bytes.CStr() + sent, bytes.Length() - sent, 0);
        if (count == SOCKET_ERROR) {
            return false;
        }
        sent += count;
    }
    return true;
}

void GnuDIPTcpClient::CloseSocket() {
    if (m_socket != INVALID_SOCKET) {
        shutdown(m_socket, SD_BOTH);
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
}

bool GnuDIPTcpClient::Run(Verdict& verdict) {
    verdict = Verdict::kNone;
    if (!m_started || !Connect()) {
        CloseSocket();
        return false;
    }
    LineBuffer line;
    if (!ReadLine(line)) {
        CloseSocket();
        return false;
    }
    Text digest;
    {
        // Released before anything is sent.
        CryptContext context;
        if (!context.Acquire() ||
            !SaltedDigest(context.Get(), m_request.password, SaltOf(line.Line()), digest)) {
            CloseSocket();
            return false;
        }
    }
    if (!SendAll(RequestLine(m_request, digest))) {
        CloseSocket();
        return false;
    }
    const bool answered = ReadLine(line);
    CloseSocket();
    if (!answered) {
        return false;
    }
    verdict = ReplyLineVerdict(line.Line(), m_request.code);
    return true;
}

}  // namespace vantrel::gnudip
