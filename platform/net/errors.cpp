// errno to Winsock error codes, and the thread's last Winsock error.
#include "net_internal.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

thread_local int t_last_error = 0;

// The host reads it after the module's call returned, on any thread.
std::mutex g_failure_lock;
VtNetFailure g_failure{};

void SetFailure(int operation, int error, const char* peer) {
    std::lock_guard<std::mutex> guard(g_failure_lock);
    g_failure.error = error;
    g_failure.operation = operation;
    std::snprintf(g_failure.peer, sizeof g_failure.peer, "%s", peer);
}

struct ErrnoMapping {
    int posix;
    int wsa;
};

// The one place errno becomes a WSA code. EINPROGRESS is WSAEINPROGRESS
// here; WSAConnect reports a connect under way as WSAEWOULDBLOCK itself,
// as a non-blocking Winsock connect does.
constexpr ErrnoMapping kErrnoMap[] = {
    {EINTR, WSAEINTR},
    {EBADF, WSAEBADF},
    {EACCES, WSAEACCES},
    {EPERM, WSAEACCES},
    {EFAULT, WSAEFAULT},
    {EINVAL, WSAEINVAL},
    {EMFILE, WSAEMFILE},
    {ENFILE, WSAEMFILE},
    {EAGAIN, WSAEWOULDBLOCK},
    {EINPROGRESS, WSAEINPROGRESS},
    {EALREADY, WSAEALREADY},
    {ENOTSOCK, WSAENOTSOCK},
    {EDESTADDRREQ, WSAEDESTADDRREQ},
    {EMSGSIZE, WSAEMSGSIZE},
    {EPROTOTYPE, WSAEPROTOTYPE},
    {ENOPROTOOPT, WSAENOPROTOOPT},
    {EPROTONOSUPPORT, WSAEPROTONOSUPPORT},
    {ESOCKTNOSUPPORT, WSAESOCKTNOSUPPORT},
    {EOPNOTSUPP, WSAEOPNOTSUPP},
    {EAFNOSUPPORT, WSAEAFNOSUPPORT},
    {EADDRINUSE, WSAEADDRINUSE},
    {EADDRNOTAVAIL, WSAEADDRNOTAVAIL},
    {ENETDOWN, WSAENETDOWN},
    {ENETUNREACH, WSAENETUNREACH},
    {ENETRESET, WSAENETRESET},
    {ECONNABORTED, WSAECONNABORTED},
    {ECONNRESET, WSAECONNRESET},
    {EPIPE, WSAECONNRESET},
    {ENOBUFS, WSAENOBUFS},
    {ENOMEM, WSA_NOT_ENOUGH_MEMORY},
    {EISCONN, WSAEISCONN},
    {ENOTCONN, WSAENOTCONN},
    {ESHUTDOWN, WSAESHUTDOWN},
    {ETIMEDOUT, WSAETIMEDOUT},
    {ECONNREFUSED, WSAECONNREFUSED},
    {EHOSTDOWN, WSAEHOSTDOWN},
    {EHOSTUNREACH, WSAEHOSTUNREACH},
};

}  // namespace

namespace vtnet {

void NoteFailure(int operation, int error, const Socket& s) {
    char address[INET6_ADDRSTRLEN] = "";
    char peer[sizeof g_failure.peer] = "";
    if (s.peer.ss_family == AF_INET) {
        const auto& in = reinterpret_cast<const sockaddr_in&>(s.peer);
        inet_ntop(AF_INET, &in.sin_addr, address, sizeof address);
        std::snprintf(peer, sizeof peer, "%s:%u", address, ntohs(in.sin_port));
    } else if (s.peer.ss_family == AF_INET6) {
        const auto& in6 = reinterpret_cast<const sockaddr_in6&>(s.peer);
        inet_ntop(AF_INET6, &in6.sin6_addr, address, sizeof address);
        std::snprintf(peer, sizeof peer, "[%s]:%u", address, ntohs(in6.sin6_port));
    }
    SetFailure(operation, error, peer);
}

void NoteResolveFailure(int error, const char* name) {
    SetFailure(VT_NET_RESOLVE, error, name != nullptr ? name : "");
}

}  // namespace vtnet

extern "C" {

VT_PLATFORM_API void VtNetGetLastFailure(VtNetFailure* failure) {
    if (failure != nullptr) {
        std::lock_guard<std::mutex> guard(g_failure_lock);
        *failure = g_failure;
    }
}

VT_PLATFORM_API void VtNetClearLastFailure(void) {
    SetFailure(VT_NET_NONE, 0, "");
}

VT_PLATFORM_API int VtWsaErrorFromErrno(int error) {
    if (error == 0) {
        return 0;
    }
    for (const ErrnoMapping& m : kErrnoMap) {
        if (m.posix == error) {
            return m.wsa;
        }
    }
    // Anything unforeseen is still a failure the caller must see.
    return WSAEINVAL;
}

VT_PLATFORM_API int WSAGetLastError(void) { return t_last_error; }

VT_PLATFORM_API void WSASetLastError(int error) { t_last_error = error; }

}  // extern "C"
