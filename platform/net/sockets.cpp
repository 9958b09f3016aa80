// Start-up, socket handles, connects and network-event selection.
#include "net_internal.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

int SystemConnect(int fd, const void* address, unsigned length) {
    return connect(fd, static_cast<const sockaddr*>(address), length);
}
long SystemSend(int fd, const void* buffer, size_t length, int flags) {
    return send(fd, buffer, length, flags);
}
long SystemRecv(int fd, void* buffer, size_t length, int flags) {
    return recv(fd, buffer, length, flags);
}

const VtSocketFunctions kSystemFunctions = {socket, SystemConnect, SystemSend, SystemRecv, close};
VtSocketFunctions g_functions = kSystemFunctions;

int g_started = 0;

std::vector<vtnet::Socket*>& Sockets() {
    static std::vector<vtnet::Socket*> sockets;
    return sockets;
}

int Fail(int error) {
    WSASetLastError(error);
    return SOCKET_ERROR;
}

// Windows numbers AF_INET6 23; the kernel 10.
int ToPosixFamily(int family) {
    switch (family) {
    case VT_AF_INET:
        return PF_INET;
    case VT_AF_INET6:
        return PF_INET6;
    default:
        return -1;
    }
}

void Record(vtnet::Socket& s, int bit, int error) {
    s.recorded |= 1 << bit;
    s.errors[bit] = error;
    if ((s.select_mask & (1 << bit)) != 0) {
        vtnet::Signal(s.select_event);
    }
}

}  // namespace

namespace vtnet {

std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}

Socket* FindSocket(SOCKET s) {
    auto* socket = reinterpret_cast<Socket*>(s);
    const auto& all = Sockets();
    return std::find(all.begin(), all.end(), socket) != all.end() ? socket : nullptr;
}

const std::vector<Socket*>& AllSockets() { return Sockets(); }

bool IsStarted() { return g_started > 0; }

const VtSocketFunctions& Functions() { return g_functions; }

SOCKET OpenSocket(int family, int type, int protocol, bool blocking) {
    std::lock_guard<std::mutex> guard(Lock());
    if (!IsStarted()) {
        WSASetLastError(WSANOTINITIALISED);
        return INVALID_SOCKET;
    }
    int posix_family = ToPosixFamily(family);
    if (posix_family < 0) {
        WSASetLastError(WSAEAFNOSUPPORT);
        return INVALID_SOCKET;
    }
    int fd = g_functions.socket(posix_family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        WSASetLastError(VtWsaErrorFromErrno(errno));
        return INVALID_SOCKET;
    }
    auto* s = new (std::nothrow) Socket;
    if (s == nullptr) {
        g_functions.close(fd);
        WSASetLastError(WSAENOBUFS);
        return INVALID_SOCKET;
    }
    s->fd = fd;
    s->blocking = blocking;
    Sockets().push_back(s);
    return reinterpret_cast<SOCKET>(s);
}

int FinishConnect(Socket& s) {
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(s.fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        error = errno;
    }
    s.state = error == 0 ? SocketState::kConnected : SocketState::kIdle;
    if (error != 0) {
        NoteFailure(VT_NET_CONNECT, VtWsaErrorFromErrno(error), s);
    }
    return VtWsaErrorFromErrno(error);
}

short Interest(const Socket& s, const WSAEVENT* events, DWORD count) {
    auto waited = [&](WSAEVENT e) {
        return e != nullptr && std::find(events, events + count, e) != events + count;
    };
    short interest = 0;
    if (s.recv.Active() && waited(s.recv.overlapped->hEvent)) {
        interest |= POLLIN;
    }
    if (s.send.Active() && waited(s.send.overlapped->hEvent)) {
        interest |= POLLOUT;
    }
    if (waited(s.select_event)) {
        if (s.state == SocketState::kConnecting && (s.select_mask & FD_CONNECT) != 0) {
            interest |= POLLOUT;
        }
        if (s.state == SocketState::kConnected) {
            if ((s.select_mask & (FD_READ | FD_CLOSE)) != 0) {
                interest |= POLLIN;
            }
            if ((s.select_mask & FD_WRITE) != 0) {
                interest |= POLLOUT;
            }
        }
    }
    return interest;
}

void Drive(Socket& s, short revents) {
    const bool readable = (revents & (POLLIN | POLLERR | POLLHUP)) != 0;
    const bool writable = (revents & (POLLOUT | POLLERR | POLLHUP)) != 0;
    if (s.state == SocketState::kConnecting && writable) {
        Record(s, FD_CONNECT_BIT, FinishConnect(s));
        return;
    }
    if (s.state != SocketState::kConnected) {
        return;
    }
    // Completing a pending operation takes precedence over reporting
    // readiness, so a waiter never wakes to an unfinished operation.
    if (readable && s.recv.Active()) {
        TryRecv(s);
    } else if (readable && (s.select_mask & FD_READ) != 0) {
        Record(s, FD_READ_BIT, 0);
    }
    if (writable && s.send.Active()) {
        TrySend(s);
    } else if (writable && (s.select_mask & FD_WRITE) != 0) {
        Record(s, FD_WRITE_BIT, 0);
    }
}

}  // namespace vtnet

extern "C" {

VT_PLATFORM_API void VtSetSocketFunctions(const VtSocketFunctions* functions) {
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    g_functions = kSystemFunctions;
    if (functions == nullptr) {
        return;
    }
    if (functions->socket != nullptr) g_functions.socket = functions->socket;
    if (functions->connect != nullptr) g_functions.connect = functions->connect;
    if (functions->send != nullptr) g_functions.send = functions->send;
    if (functions->recv != nullptr) g_functions.recv = functions->recv;
    if (functions->close != nullptr) g_functions.close = functions->close;
}

VT_PLATFORM_API int WSAStartup(WORD version, WSADATA* data) {
    if (data == nullptr) {
        return WSAEFAULT;
    }
    // Versions 1.0 to 2.2 are served as 2.2 or the version asked for, whichever is lower.
    if ((version & 0xFF) < 1) {
        return WSAVERNOTSUPPORTED;
    }
    std::memset(data, 0, sizeof *data);
    data->wVersion = (version & 0xFF) >= 2 ? std::min<WORD>(version, MAKEWORD(2, 2)) : version;
    data->wHighVersion = MAKEWORD(2, 2);
    std::strcpy(data->szDescription, "Vantrel stand-in sockets");
    std::strcpy(data->szSystemStatus, "Running");
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    ++g_started;
    return 0;
}

VT_PLATFORM_API int WSACleanup(void) {
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    if (g_started == 0) {
        return Fail(WSANOTINITIALISED);
    }
    --g_started;
    return 0;
}

VT_PLATFORM_API SOCKET WSASocketA(int family, int type, int protocol, void* protocol_info,
                                  UINT group, DWORD flags) {
    (void)flags;  // Every stand-in socket can take overlapped operations.
    if (protocol_info != nullptr || group != 0) {
        WSASetLastError(WSAEINVAL);
        return INVALID_SOCKET;
    }
    return vtnet::OpenSocket(family, type, protocol, false);
}

VT_PLATFORM_API int closesocket(SOCKET handle) {
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    vtnet::Socket* s = vtnet::FindSocket(handle);
    if (s == nullptr) {
        return Fail(WSAENOTSOCK);
    }
    // Pending operations end aborted: their buffers are never touched again.
    // Closed before the connect finished: whoever waited gave up on it.
    if (s->state == vtnet::SocketState::kConnecting) {
        vtnet::NoteFailure(VT_NET_CONNECT, WSAETIMEDOUT, *s);
    }
    if (s->recv.Active()) vtnet::Complete(s->recv, WSA_OPERATION_ABORTED);
    if (s->send.Active()) vtnet::Complete(s->send, WSA_OPERATION_ABORTED);
    auto& all = Sockets();
    all.erase(std::find(all.begin(), all.end(), s));
    int rc = g_functions.close(s->fd);
    int error = errno;
    delete s;
    return rc == 0 ? 0 : Fail(VtWsaErrorFromErrno(error));
}

VT_PLATFORM_API int WSAConnect(SOCKET handle, const SOCKADDR* name, int name_length,
                               WSABUF* caller_data, WSABUF* callee_data, void* sqos, void* gqos) {
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    vtnet::Socket* s = vtnet::FindSocket(handle);
    if (s == nullptr) {
        return Fail(WSAENOTSOCK);
    }
    if (name == nullptr || name_length < static_cast<int>(sizeof(SOCKADDR)) ||
        name_length > static_cast<int>(sizeof(sockaddr_storage))) {
        return Fail(WSAEFAULT);
    }
    if (caller_data != nullptr || callee_data != nullptr || sqos != nullptr || gqos != nullptr) {
        return Fail(WSAEOPNOTSUPP);
    }
    if (s->state == vtnet::SocketState::kConnected) {
        return Fail(WSAEISCONN);
    }
    if (s->state == vtnet::SocketState::kConnecting) {
        return Fail(WSAEALREADY);
    }
    sockaddr_storage address{};
    std::memcpy(&address, name, static_cast<size_t>(name_length));
    int family = ToPosixFamily(name->sa_family);
    if (family < 0) {
        return Fail(WSAEAFNOSUPPORT);
    }
    address.ss_family = static_cast<sa_family_t>(family);
    s->peer = address;
    if (g_functions.connect(s->fd, &address, static_cast<unsigned>(name_length)) == 0) {
        s->state = vtnet::SocketState::kConnected;
        Record(*s, FD_CONNECT_BIT, 0);
        return 0;
    }
    int error = errno;
    if (error == EINPROGRESS) {
        s->state = vtnet::SocketState::kConnecting;
        return Fail(WSAEWOULDBLOCK);
    }
    vtnet::NoteFailure(VT_NET_CONNECT, VtWsaErrorFromErrno(error), *s);
    return Fail(VtWsaErrorFromErrno(error));
}

VT_PLATFORM_API int WSAEventSelect(SOCKET handle, WSAEVENT event, LONG network_events) {
    if (network_events != 0 && !vtnet::IsEvent(event)) {
        return Fail(WSA_INVALID_HANDLE);
    }
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    vtnet::Socket* s = vtnet::FindSocket(handle);
    if (s == nullptr) {
        return Fail(WSAENOTSOCK);
    }
    s->select_event = network_events != 0 ? event : nullptr;
    s->select_mask = network_events;
    // Windows: selecting network events makes the socket non-blocking.
    if (network_events != 0) {
        s->blocking = false;
    }
    return 0;
}

VT_PLATFORM_API int WSAEnumNetworkEvents(SOCKET handle, WSAEVENT event, WSANETWORKEVENTS* events) {
    if (events == nullptr) {
        return Fail(WSAEFAULT);
    }
    if (event != nullptr && !vtnet::IsEvent(event)) {
        return Fail(WSA_INVALID_HANDLE);
    }
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    vtnet::Socket* s = vtnet::FindSocket(handle);
    if (s == nullptr) {
        return Fail(WSAENOTSOCK);
    }
    events->lNetworkEvents = s->recorded & s->select_mask;
    std::memcpy(events->iErrorCode, s->errors, sizeof events->iErrorCode);
    s->recorded = 0;
    std::memset(s->errors, 0, sizeof s->errors);
    if (event != nullptr) {
        WSAResetEvent(event);
    }
    return 0;
}

}  // extern "C"
