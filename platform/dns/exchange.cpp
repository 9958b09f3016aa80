// One DNS message to one server and the reply that matches it: UDP with
// bounded waits and retries, TCP (RFC 1035 4.2.2 framing) when the reply
// is truncated or the message too long for a datagram. Sockets go through
// the stand-in's replaceable socket functions, so tests can fail them.

// The stand-in's headers come first: they define INADDR_NONE as Windows
// does, and the system's own definition may then follow quietly.
#include "../net/net_internal.h"
#include "wire.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <utility>

namespace vtdns {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The Windows DNS client's defaults for one server: three UDP tries of
// two seconds. A TCP exchange gets as long as the three tries together.
constexpr milliseconds kUdpTry{2000};
constexpr int kUdpTries = 3;
constexpr milliseconds kTcpWait{6000};
// RFC 1035 4.2.1: without EDNS a datagram carries at most 512 bytes.
constexpr size_t kMaxUdpQuery = 512;
constexpr size_t kMaxMessage = 65535;

class SocketFd {
public:
    explicit SocketFd(int fd) : m_fd(fd) {}
    ~SocketFd() {
        if (m_fd >= 0) {
            vtnet::Functions().close(m_fd);
        }
    }
    SocketFd(const SocketFd&) = delete;
    SocketFd& operator=(const SocketFd&) = delete;
    int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }
    void Reset(int fd) {
        SocketFd old(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// A non-blocking socket connected (or connecting) to the server; the
// returned status is 0, or the WSA code of a failure other than a connect
// under way.
DNS_STATUS Open(const Server& server, int type, SocketFd* out) {
    const VtSocketFunctions& system = vtnet::Functions();
    int fd = system.socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return VtWsaErrorFromErrno(errno);
    }
    SocketFd socket(fd);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(server.port);
    address.sin_addr.s_addr = server.address;
    if (system.connect(fd, &address, sizeof address) != 0 && errno != EINPROGRESS) {
        // A refused or unreachable server answers nothing.
        return errno == ECONNREFUSED || errno == ENETUNREACH || errno == EHOSTUNREACH
                   ? ERROR_TIMEOUT
                   : VtWsaErrorFromErrno(errno);
    }
    out->Reset(socket.Release());
    return ERROR_SUCCESS;
}

// Waits in poll(2) until the socket has the events or the deadline passes.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd entry{fd, events, 0};
        const int ready = poll(&entry, 1, static_cast<int>(left.count()));
        if (ready > 0) {
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

DNS_STATUS ExchangeUdp(int fd, const std::vector<uint8_t>& query, std::vector<uint8_t>* reply) {
    const VtSocketFunctions& system = vtnet::Functions();
    reply->resize(kMaxMessage);
    for (int attempt = 0; attempt < kUdpTries; ++attempt) {
        const auto deadline = Clock::now() + kUdpTry;
        // A refusal (ICMP port unreachable) ends a try at once: nothing
        // listens there, and the next send may report it too.
        if (system.send(fd, query.data(), query.size(), 0) != static_cast<long>(query.size())) {
            continue;
        }
        // Datagrams that answer something else (a late reply to an
        // earlier query, a forgery) are dropped and the wait goes on.
        while (WaitFor(fd, POLLIN, deadline)) {
            const long got = system.recv(fd, reply->data(), reply->size(), 0);
            if (got < 0 && errno != EAGAIN && errno != EINTR) {
                break;
            }
            if (got > 0 &&
                ReplyMatches(query, std::span(reply->data(), static_cast<size_t>(got)))) {
                reply->resize(static_cast<size_t>(got));
                return ERROR_SUCCESS;
            }
        }
    }
    reply->clear();
    return ERROR_TIMEOUT;
}

bool SendAll(int fd, const std::vector<uint8_t>& bytes, Clock::time_point deadline) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        if (!WaitFor(fd, POLLOUT, deadline)) {
            return false;
        }
        const long done =
            vtnet::Functions().send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (done < 0 && errno != EAGAIN && errno != EINTR) {
            return false;
        }
        sent += done > 0 ? static_cast<size_t>(done) : 0;
    }
    return true;
}

bool ReceiveAll(int fd, uint8_t* buffer, size_t size, Clock::time_point deadline) {
    size_t got = 0;
    while (got < size) {
        if (!WaitFor(fd, POLLIN, deadline)) {
            return false;
        }
        const long done = vtnet::Functions().recv(fd, buffer + got, size - got, 0);
        if (done == 0 || (done < 0 && errno != EAGAIN && errno != EINTR)) {
            return false;
        }
        got += done > 0 ? static_cast<size_t>(done) : 0;
    }
    return true;
}

DNS_STATUS ExchangeTcp(const Server& server, const std::vector<uint8_t>& query,
                       std::vector<uint8_t>* reply) {
    const auto deadline = Clock::now() + kTcpWait;
    SocketFd socket(-1);
    if (DNS_STATUS status = Open(server, SOCK_STREAM, &socket); status != ERROR_SUCCESS) {
        return status;
    }
    std::vector<uint8_t> framed{static_cast<uint8_t>(query.size() >> 8),
                                static_cast<uint8_t>(query.size())};
    framed.insert(framed.end(), query.begin(), query.end());
    if (!SendAll(socket.Get(), framed, deadline)) {
        return ERROR_TIMEOUT;
    }
    // A server may put other messages on the connection first; skip them.
    for (;;) {
        uint8_t length[2];
        if (!ReceiveAll(socket.Get(), length, sizeof length, deadline)) {
            break;
        }
        reply->resize(static_cast<size_t>(length[0] << 8 | length[1]));
        if (!ReceiveAll(socket.Get(), reply->data(), reply->size(), deadline)) {
            break;
        }
        if (ReplyMatches(query, *reply)) {
            return ERROR_SUCCESS;
        }
    }
    reply->clear();
    return ERROR_TIMEOUT;
}

}  // namespace

DNS_STATUS ExchangeWire(const Server& server, const std::vector<uint8_t>& query,
                        Transport transport, std::vector<uint8_t>* reply) {
    reply->clear();
    if (query.size() < kHeaderSize || query.size() > kMaxMessage) {
        return ERROR_INVALID_PARAMETER;
    }
    if (transport == Transport::kUdpThenTcp && query.size() <= kMaxUdpQuery) {
        SocketFd socket(-1);
        if (DNS_STATUS status = Open(server, SOCK_DGRAM, &socket); status != ERROR_SUCCESS) {
            return status;
        }
        if (DNS_STATUS status = ExchangeUdp(socket.Get(), query, reply);
            status != ERROR_SUCCESS || !IsTruncated(*reply)) {
            return status;
        }
    }
    return ExchangeTcp(server, query, reply);
}

}  // namespace vtdns
