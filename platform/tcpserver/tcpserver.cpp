// Loopback server sockets over poll(2). The stop event is a non-blocking
// self-pipe: writing one byte is async-signal-safe, and the byte is never
// drained, so every later wait on the read end sees it at once.
#include <platform/tcpserver.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <new>

namespace {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(-1); }

    int Get() const { return m_fd; }
    bool IsValid() const { return m_fd >= 0; }
    int Release() {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void Reset(int fd) {
        if (m_fd >= 0) {
            close(m_fd);
        }
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

// The one place where errno becomes a VtTcpResult.
VtTcpResult FromErrno(int error) {
    switch (error) {
        case EADDRINUSE:
            return VT_TCP_ADDRESS_IN_USE;
        case ENOMEM:
        case ENOBUFS:
            return VT_TCP_NO_MEMORY;
        case EINVAL:
        case EADDRNOTAVAIL:
        case EAFNOSUPPORT:
            return VT_TCP_INVALID_ARGUMENT;
        case ECONNRESET:
        case EPIPE:
        case ENOTCONN:
            return VT_TCP_CLOSED;
        case ETIMEDOUT:
            return VT_TCP_TIMEOUT;
        default:
            return VT_TCP_FAILED;
    }
}

struct StopEvent {
    UniqueFd read_end;
    UniqueFd write_end;

    void Set() const {
        const char byte = 1;
        // A full pipe already signals; nothing else can go wrong here.
        [[maybe_unused]] ssize_t n = write(write_end.Get(), &byte, 1);
    }
};

VtTcpResult MakeStopEvent(std::shared_ptr<StopEvent>* event) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return FromErrno(errno);
    }
    auto made = std::shared_ptr<StopEvent>(new (std::nothrow) StopEvent);
    if (!made) {
        close(fds[0]);
        close(fds[1]);
        return VT_TCP_NO_MEMORY;
    }
    made->read_end.Reset(fds[0]);
    made->write_end.Reset(fds[1]);
    *event = std::move(made);
    return VT_TCP_OK;
}

// Remaining milliseconds of a wait that started at `start`, for poll().
class Deadline {
public:
    explicit Deadline(DWORD timeout_ms)
        : m_infinite(timeout_ms == VT_TCP_INFINITE),
          m_end(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms)) {}

    int RemainingMs() const {
        if (m_infinite) {
            return -1;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            m_end - std::chrono::steady_clock::now());
        return left.count() > 0 ? static_cast<int>(left.count()) : 0;
    }

private:
    bool m_infinite;
    std::chrono::steady_clock::time_point m_end;
};

// Waits until fd shows `events` or the stop event is set.
VtTcpResult WaitFor(int fd, short events, const StopEvent& stop, const Deadline& deadline) {
    for (;;) {
        pollfd fds[2] = {{fd, events, 0}, {stop.read_end.Get(), POLLIN, 0}};
        int n = poll(fds, 2, deadline.RemainingMs());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FromErrno(errno);
        }
        if (fds[1].revents != 0) {
            return VT_TCP_STOPPED;
        }
        if (n == 0) {
            return VT_TCP_TIMEOUT;
        }
        // Errors and hang-ups count as ready: the call that follows reports them.
        return VT_TCP_OK;
    }
}

std::atomic<int> g_signal_stop_fd{-1};
std::atomic<VTLISTENER> g_signal_listener{nullptr};

extern "C" void OnStopSignal(int) {
    int saved = errno;
    int fd = g_signal_stop_fd.load();
    if (fd >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = write(fd, &byte, 1);
    }
    errno = saved;
}

void SetStopSignalAction(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace

struct VtTcpListener {
    UniqueFd socket;
    std::shared_ptr<StopEvent> stop;
    WORD port = 0;
};

struct VtTcpConnection {
    UniqueFd socket;
    std::shared_ptr<StopEvent> stop;
    sockaddr_in peer{};
};

namespace {

// A lab serves a handful of ports at most.
constexpr DWORD kMaxListeners = 8;

// Waits until one listener has a client (its index in *ready) or a stop
// event of any is set.
VtTcpResult WaitForClient(const VTLISTENER* listeners, DWORD count, const Deadline& deadline,
                          DWORD* ready) {
    for (;;) {
        pollfd fds[2 * kMaxListeners];
        for (DWORD i = 0; i < count; ++i) {
            fds[i] = {listeners[i]->socket.Get(), POLLIN, 0};
            fds[count + i] = {listeners[i]->stop->read_end.Get(), POLLIN, 0};
        }
        int n = poll(fds, 2 * count, deadline.RemainingMs());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FromErrno(errno);
        }
        for (DWORD i = 0; i < count; ++i) {
            if (fds[count + i].revents != 0) {
                return VT_TCP_STOPPED;
            }
        }
        if (n == 0) {
            return VT_TCP_TIMEOUT;
        }
        for (DWORD i = 0; i < count; ++i) {
            if (fds[i].revents != 0) {
                *ready = i;
                return VT_TCP_OK;
            }
        }
    }
}

}  // namespace

VT_EXTERN_C VT_PLATFORM_API VtTcpResult VtTcpListen(LPCSTR address, WORD port,
                                                    VTLISTENER* listener) {
    if (listener == nullptr) {
        return VT_TCP_INVALID_ARGUMENT;
    }
    *listener = nullptr;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (address == nullptr || inet_pton(AF_INET, address, &local.sin_addr) != 1) {
        return VT_TCP_INVALID_ARGUMENT;
    }
    UniqueFd fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd.IsValid()) {
        return FromErrno(errno);
    }
    // A restarted lab may take its old port while connections linger in TIME_WAIT.
    int on = 1;
    setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (bind(fd.Get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        listen(fd.Get(), SOMAXCONN) != 0) {
        return FromErrno(errno);
    }
    socklen_t length = sizeof local;
    if (getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&local), &length) != 0) {
        return FromErrno(errno);
    }
    auto made = std::unique_ptr<VtTcpListener>(new (std::nothrow) VtTcpListener);
    if (!made) {
        return VT_TCP_NO_MEMORY;
    }
    if (VtTcpResult result = MakeStopEvent(&made->stop); result != VT_TCP_OK) {
        return result;
    }
    made->socket = std::move(fd);
    made->port = ntohs(local.sin_port);
    *listener = made.release();
    return VT_TCP_OK;
}

VT_EXTERN_C VT_PLATFORM_API WORD VtTcpListenerPort(VTLISTENER listener) {
    return listener == nullptr ? 0 : listener->port;
}

VT_EXTERN_C VT_PLATFORM_API VtTcpResult VtTcpAccept(VTLISTENER listener, DWORD timeout_ms,
                                                    VTCONNECTION* connection) {
    return VtTcpAcceptAny(&listener, 1, timeout_ms, connection, nullptr);
}

VT_EXTERN_C VT_PLATFORM_API VtTcpResult VtTcpAcceptAny(const VTLISTENER* listeners, DWORD count,
                                                       DWORD timeout_ms, VTCONNECTION* connection,
                                                       DWORD* index) {
    if (connection == nullptr) {
        return VT_TCP_INVALID_ARGUMENT;
    }
    *connection = nullptr;
    if (listeners == nullptr || count == 0 || count > kMaxListeners) {
        return VT_TCP_INVALID_ARGUMENT;
    }
    for (DWORD i = 0; i < count; ++i) {
        if (listeners[i] == nullptr) {
            return VT_TCP_INVALID_ARGUMENT;
        }
    }
    Deadline deadline(timeout_ms);
    for (;;) {
        DWORD ready = 0;
        VtTcpResult waited = WaitForClient(listeners, count, deadline, &ready);
        if (waited != VT_TCP_OK) {
            return waited;
        }
        VTLISTENER listener = listeners[ready];
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        UniqueFd fd(accept4(listener->socket.Get(), reinterpret_cast<sockaddr*>(&peer), &length,
                            SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd.IsValid()) {
            // The client may have gone between poll and accept: wait again.
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNABORTED ||
                errno == EINTR) {
                continue;
            }
            return FromErrno(errno);
        }
        auto made = std::unique_ptr<VtTcpConnection>(new (std::nothrow) VtTcpConnection);
        if (!made) {
            return VT_TCP_NO_MEMORY;
        }
        made->socket = std::move(fd);
        made->stop = listener->stop;
        made->peer = peer;
        *connection = made.release();
        if (index != nullptr) {
            *index = ready;
        }
        return VT_TCP_OK;
    }
}

VT_EXTERN_C VT_PLATFORM_API VtTcpResult VtTcpStopListener(VTLISTENER listener) {
    if (listener == nullptr) {
        return VT_TCP_INVALID_ARGUMENT;
    }
    listener->stop->Set();
    return VT_TCP_OK;
}

VT_EXTERN_C VT_PLATFORM_API VtTcpResult VtTcpStopOnSignals(VTLISTENER listener) {
    if (listener == nullptr) {
        return VT_TCP_INVALID_ARGUMENT;
    }
    g_signal_stop_fd.store(listener->stop->write_end.Get());
    g_signal_listener.store(listener);
    SetStopSignalAction(OnStopSignal);
    signal(SIGPIPE, SIG_IGN);
    return VT_TCP_OK;
}

VT_EXTERN_C VT_PLATFORM_API void VtTcpCloseListener(VTLISTENER listener) {
    if (listener == nullptr) {
        return;
    }
    VTLISTENER expected = listener;
    if (g_signal_listener.compare_exchange_strong(expected, nullptr)) {
        SetStopSignalAction(SIG_DFL);
        g_signal_stop_fd.store(-1);
    }
    delete listener;
}

VT_EXTERN_C VT_PLATFORM_API VtTcpResult VtTcpPeerAddress(VTCONNECTION connection, LPSTR buffer,
                                                         DWORD size) {
    if (connection == nullptr || buffer == nullptr || size < INET_ADDRSTRLEN) {
        return VT_TCP_INVALID_ARGUMENT;
    }
    if (inet_ntop(AF_INET, &connection->peer.sin_addr, buffer, size) == nullptr) {
        return FromErrno(errno);
    }
    return VT_TCP_OK;
}

VT_EXTERN_C VT_PLATFORM_API VtTcpResult VtTcpRead(VTCONNECTION connection, void* buffer, DWORD size,
                                                  DWORD timeout_ms, DWORD* received) {
    if (received == nullptr) {
        return VT_TCP_INVALID_ARGUMENT;
    }
    *received = 0;
    if (connection == nullptr || (buffer == nullptr && size > 0)) {
        return VT_TCP_INVALID_ARGUMENT;
    }
    Deadline deadline(timeout_ms);
    for (;;) {
        VtTcpResult waited = WaitFor(connection->socket.Get(), POLLIN, *connection->stop, deadline);
        if (waited != VT_TCP_OK) {
            return waited;
        }
        ssize_t n = recv(connection->socket.Get(), buffer, size, 0);
        if (n > 0) {
            *received = static_cast<DWORD>(n);
            return VT_TCP_OK;
        }
        if (n == 0) {
            return VT_TCP_CLOSED;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            return FromErrno(errno);
        }
    }
}

VT_EXTERN_C VT_PLATFORM_API VtTcpResult VtTcpWrite(VTCONNECTION connection, const void* data,
                                                   DWORD size, DWORD timeout_ms, DWORD* sent) {
    if (sent != nullptr) {
        *sent = 0;
    }
    if (connection == nullptr || (data == nullptr && size > 0)) {
        return VT_TCP_INVALID_ARGUMENT;
    }
    Deadline deadline(timeout_ms);
    const char* bytes = static_cast<const char*>(data);
    DWORD done = 0;
    while (done < size) {
        VtTcpResult waited =
            WaitFor(connection->socket.Get(), POLLOUT, *connection->stop, deadline);
        if (waited != VT_TCP_OK) {
            return waited;
        }
        // MSG_NOSIGNAL: a vanished peer is an error result, not SIGPIPE.
        ssize_t n = send(connection->socket.Get(), bytes + done, size - done, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
                continue;
            }
            return FromErrno(errno);
        }
        done += static_cast<DWORD>(n);
        if (sent != nullptr) {
            *sent = done;
        }
    }
    return VT_TCP_OK;
}

VT_EXTERN_C VT_PLATFORM_API void VtTcpCloseConnection(VTCONNECTION connection) {
    if (connection == nullptr) {
        return;
    }
    // Closing with unread input makes the kernel send a reset, which can
    // destroy a reply the peer has not read yet: end our side first, then
    // drop whatever input is already queued.
    int fd = connection->socket.Get();
    shutdown(fd, SHUT_WR);
    char sink[1024];
    while (recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0) {
    }
    delete connection;
}
