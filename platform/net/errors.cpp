// errno to Winsock error codes, and the thread's last Winsock error.
#include "net_internal.h"

#include <cerrno>

namespace {

thread_local int t_last_error = 0;

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

extern "C" {

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
