// The plain Winsock calls: blocking sockets by default, readiness waits with
// select. The kernel descriptors stay non-blocking as for every stand-in
// socket; a blocking call waits in poll(2) without holding the lock.
#include "net_internal.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace {

constexpr int kWindowsMsgPeek = 2;

int Fail(int error) {
    WSASetLastError(error);
    return SOCKET_ERROR;
}

// Waits without a bound for the descriptor; the caller retries the call,
// which then reports whatever woke it.
void WaitFor(int fd, short events) {
    pollfd one = {fd, events, 0};
    while (poll(&one, 1, -1) < 0 && errno == EINTR) {
    }
}

// The connected socket behind a handle, or the error for it.
int FindConnected(SOCKET handle, vtnet::Socket** found) {
    *found = vtnet::FindSocket(handle);
    if (*found == nullptr) {
        return WSAENOTSOCK;
    }
    return (*found)->state == vtnet::SocketState::kConnected ? 0 : WSAENOTCONN;
}

enum class Transfer { kReceive, kSend };

// One recv or send; a blocking socket waits until it can do something.
int Move(SOCKET handle, char* buffer, int length, int posix_flags, Transfer direction) {
    for (;;) {
        int fd = -1;
        int error = 0;
        {
            std::lock_guard<std::mutex> guard(vtnet::Lock());
            vtnet::Socket* s = nullptr;
            if (int refused = FindConnected(handle, &s); refused != 0) {
                return Fail(refused);
            }
            long n = direction == Transfer::kReceive
                         ? vtnet::Functions().recv(s->fd, buffer, static_cast<size_t>(length),
                                                   posix_flags)
                         : vtnet::Functions().send(s->fd, buffer, static_cast<size_t>(length),
                                                   posix_flags | MSG_NOSIGNAL);
            if (n >= 0) {
                return static_cast<int>(n);
            }
            error = errno;
            if ((error != EAGAIN && error != EWOULDBLOCK) || !s->blocking) {
                if (error == EINTR) {
                    continue;
                }
                // Kept for the host's "reason:" line, as the other paths do.
                if (error != EAGAIN && error != EWOULDBLOCK) {
                    vtnet::NoteFailure(direction == Transfer::kReceive ? VT_NET_RECEIVE
                                                                       : VT_NET_SEND,
                                       VtWsaErrorFromErrno(error), *s);
                }
                return Fail(VtWsaErrorFromErrno(error));
            }
            fd = s->fd;
        }
        WaitFor(fd, direction == Transfer::kReceive ? POLLIN : POLLOUT);
    }
}

// One socket of a select call and what it is asked about.
struct Watched {
    SOCKET handle;
    bool read = false;
    bool write = false;
    bool except = false;
    bool read_ready = false;
    bool write_ready = false;
    bool except_ready = false;
    // Hung up or failed with nothing asked about that: not polled again,
    // since poll(2) would report it at once for ever.
    bool quiet = false;
};

bool AddSet(const VtWsFdSet* set, std::vector<Watched>& watched, bool Watched::*role) {
    if (set == nullptr) {
        return true;
    }
    if (set->fd_count > VT_FD_SETSIZE) {
        return false;
    }
    for (UINT i = 0; i < set->fd_count; ++i) {
        auto found = std::find_if(watched.begin(), watched.end(), [&](const Watched& w) {
            return w.handle == set->fd_array[i];
        });
        if (found == watched.end()) {
            watched.push_back({set->fd_array[i]});
            found = watched.end() - 1;
        }
        (*found).*role = true;
    }
    return true;
}

// Only what can still happen is polled: a socket that is neither
// connected nor connecting never becomes ready.
short Interest(const vtnet::Socket& s, const Watched& w) {
    if (w.quiet) {
        return 0;
    }
    if (s.state == vtnet::SocketState::kConnecting) {
        return (w.write || w.except) ? POLLOUT : 0;
    }
    if (s.state != vtnet::SocketState::kConnected) {
        return 0;
    }
    return static_cast<short>((w.read ? POLLIN : 0) | (w.write ? POLLOUT : 0) |
                              (w.except ? POLLPRI : 0));
}

void Judge(vtnet::Socket& s, Watched& w, short revents) {
    if (s.state == vtnet::SocketState::kConnecting && revents != 0) {
        s.connect_failed = vtnet::FinishConnect(s) != 0;
    }
    if (s.state == vtnet::SocketState::kConnected) {
        // Errors and hang-ups count as ready: the call that follows reports them.
        w.read_ready = w.read && (revents & (POLLIN | POLLHUP | POLLERR)) != 0;
        w.write_ready = w.write && (revents & (POLLOUT | POLLHUP | POLLERR)) != 0;
        w.except_ready = w.except && (revents & POLLPRI) != 0;
    }
    w.except_ready = w.except_ready || (w.except && s.connect_failed);
    w.quiet = !w.read_ready && !w.write_ready && !w.except_ready &&
              (revents & (POLLHUP | POLLERR)) != 0;
}

void KeepReady(VtWsFdSet* set, const std::vector<Watched>& watched, bool Watched::*ready) {
    if (set == nullptr) {
        return;
    }
    UINT kept = 0;
    for (UINT i = 0; i < set->fd_count; ++i) {
        for (const Watched& w : watched) {
            if (w.handle == set->fd_array[i] && w.*ready) {
                set->fd_array[kept++] = set->fd_array[i];
                break;
            }
        }
    }
    set->fd_count = kept;
}

// Milliseconds left, rounded up so a wait never ends early and spins.
int RemainingMs(bool infinite, std::chrono::steady_clock::time_point deadline) {
    if (infinite) {
        return -1;
    }
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline -
                                                             std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

extern "C" {

VT_PLATFORM_API SOCKET VtWs_socket(int family, int type, int protocol) {
    return vtnet::OpenSocket(family, type, protocol, true);
}

VT_PLATFORM_API int VtWs_connect(SOCKET handle, const SOCKADDR* name, int name_length) {
    if (name == nullptr || name_length < static_cast<int>(sizeof(SOCKADDR_IN))) {
        return Fail(WSAEFAULT);
    }
    if (name->sa_family != VT_AF_INET) {
        return Fail(WSAEAFNOSUPPORT);
    }
    SOCKADDR_IN wanted;
    std::memcpy(&wanted, name, sizeof wanted);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = wanted.sin_addr.s_addr;
    address.sin_port = wanted.sin_port;
    uint32_t address2 = 0;
    uint16_t port2 = 0;
    if (vtnet::RedirectConnection(wanted.sin_addr.s_addr, ntohs(wanted.sin_port), &address2,
                                  &port2)) {
        address.sin_addr.s_addr = address2;
        address.sin_port = htons(port2);
    }
    int fd = -1;
    {
        std::lock_guard<std::mutex> guard(vtnet::Lock());
        vtnet::Socket* s = vtnet::FindSocket(handle);
        if (s == nullptr) {
            return Fail(WSAENOTSOCK);
        }
        if (s->state == vtnet::SocketState::kConnected) {
            return Fail(WSAEISCONN);
        }
        if (s->state == vtnet::SocketState::kConnecting) {
            return Fail(WSAEALREADY);
        }
        s->connect_failed = false;
        std::memcpy(&s->peer, &address, sizeof address);
        if (vtnet::Functions().connect(s->fd, &address, sizeof address) == 0) {
            s->state = vtnet::SocketState::kConnected;
            return 0;
        }
        int error = errno;
        if (error != EINPROGRESS) {
            vtnet::NoteFailure(VT_NET_CONNECT, VtWsaErrorFromErrno(error), *s);
            return Fail(VtWsaErrorFromErrno(error));
        }
        s->state = vtnet::SocketState::kConnecting;
        if (!s->blocking) {
            return Fail(WSAEWOULDBLOCK);
        }
        fd = s->fd;
    }
    WaitFor(fd, POLLOUT);
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    vtnet::Socket* s = vtnet::FindSocket(handle);
    if (s == nullptr) {
        return Fail(WSAENOTSOCK);
    }
    int error = vtnet::FinishConnect(*s);
    return error == 0 ? 0 : Fail(error);
}

VT_PLATFORM_API int ioctlsocket(SOCKET handle, long command, unsigned long* argument) {
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    vtnet::Socket* s = vtnet::FindSocket(handle);
    if (s == nullptr) {
        return Fail(WSAENOTSOCK);
    }
    if (command != VT_FIONBIO) {
        return Fail(WSAEINVAL);
    }
    if (argument == nullptr) {
        return Fail(WSAEFAULT);
    }
    // Windows: a socket with network events selected cannot block again.
    if (*argument == 0 && s->select_mask != 0) {
        return Fail(WSAEINVAL);
    }
    s->blocking = *argument == 0;
    return 0;
}

VT_PLATFORM_API int VtWs_select(int, VtWsFdSet* read_set, VtWsFdSet* write_set,
                                VtWsFdSet* except_set, const VtWsTimeval* timeout) {
    if (!vtnet::IsStarted()) {
        return Fail(WSANOTINITIALISED);
    }
    std::vector<Watched> watched;
    if (!AddSet(read_set, watched, &Watched::read) || !AddSet(write_set, watched, &Watched::write) ||
        !AddSet(except_set, watched, &Watched::except) || watched.empty() ||
        (timeout != nullptr && (timeout->tv_sec < 0 || timeout->tv_usec < 0))) {
        return Fail(WSAEINVAL);
    }
    const bool infinite = timeout == nullptr;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::seconds(infinite ? 0 : timeout->tv_sec) +
                          std::chrono::microseconds(infinite ? 0 : timeout->tv_usec);
    std::vector<pollfd> fds(watched.size());
    int ready = 0;
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(vtnet::Lock());
            for (size_t i = 0; i < watched.size(); ++i) {
                vtnet::Socket* s = vtnet::FindSocket(watched[i].handle);
                if (s == nullptr) {
                    return Fail(WSAENOTSOCK);
                }
                short events = Interest(*s, watched[i]);
                fds[i] = {events != 0 ? s->fd : -1, events, 0};
                // A connect that failed before is reported at once.
                ready += watched[i].except && s->connect_failed ? 1 : 0;
            }
        }
        const int wait_ms = ready > 0 ? 0 : RemainingMs(infinite, deadline);
        if (poll(fds.data(), fds.size(), wait_ms) < 0 && errno != EINTR) {
            return Fail(VtWsaErrorFromErrno(errno));
        }
        ready = 0;
        {
            std::lock_guard<std::mutex> guard(vtnet::Lock());
            for (size_t i = 0; i < watched.size(); ++i) {
                if (vtnet::Socket* s = vtnet::FindSocket(watched[i].handle)) {
                    Judge(*s, watched[i], fds[i].revents);
                }
                ready += watched[i].read_ready + watched[i].write_ready + watched[i].except_ready;
            }
        }
        if (ready > 0 || wait_ms == 0) {
            break;
        }
    }
    KeepReady(read_set, watched, &Watched::read_ready);
    KeepReady(write_set, watched, &Watched::write_ready);
    KeepReady(except_set, watched, &Watched::except_ready);
    return ready;
}

VT_PLATFORM_API int VtWs_recv(SOCKET handle, char* buffer, int length, int flags) {
    if (!vtnet::IsStarted()) {
        return Fail(WSANOTINITIALISED);
    }
    if ((flags & ~kWindowsMsgPeek) != 0) {
        return Fail(WSAEOPNOTSUPP);
    }
    if (length < 0 || (buffer == nullptr && length > 0)) {
        return Fail(WSAEFAULT);
    }
    return Move(handle, buffer, length, (flags & kWindowsMsgPeek) != 0 ? MSG_PEEK : 0,
                Transfer::kReceive);
}

// A blocking send returns once everything is sent, as Winsock's does.
VT_PLATFORM_API int VtWs_send(SOCKET handle, const char* buffer, int length, int flags) {
    if (!vtnet::IsStarted()) {
        return Fail(WSANOTINITIALISED);
    }
    if (flags != 0) {
        return Fail(WSAEOPNOTSUPP);
    }
    if (length < 0 || (buffer == nullptr && length > 0)) {
        return Fail(WSAEFAULT);
    }
    int sent = 0;
    do {
        int n = Move(handle, const_cast<char*>(buffer) + sent, length - sent, 0, Transfer::kSend);
        if (n == SOCKET_ERROR) {
            return sent > 0 ? sent : SOCKET_ERROR;
        }
        sent += n;
        std::lock_guard<std::mutex> guard(vtnet::Lock());
        vtnet::Socket* s = vtnet::FindSocket(handle);
        if (s == nullptr || !s->blocking) {
            break;
        }
    } while (sent < length);
    return sent;
}

VT_PLATFORM_API int VtWs_shutdown(SOCKET handle, int how) {
    static constexpr int kHow[] = {SHUT_RD, SHUT_WR, SHUT_RDWR};
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    vtnet::Socket* s = nullptr;
    if (int refused = FindConnected(handle, &s); refused != 0) {
        return Fail(refused);
    }
    if (how < SD_RECEIVE || how > SD_BOTH) {
        return Fail(WSAEINVAL);
    }
    return ::shutdown(s->fd, kHow[how]) == 0 ? 0 : Fail(VtWsaErrorFromErrno(errno));
}

VT_PLATFORM_API int VtWs_FDIsSet(SOCKET s, const VtWsFdSet* set) {
    for (UINT i = 0; set != nullptr && i < set->fd_count && i < VT_FD_SETSIZE; ++i) {
        if (set->fd_array[i] == s) {
            return 1;
        }
    }
    return 0;
}

}  // extern "C"
