/*
 * Windows Sockets 2 of the stand-in platform: the event-driven, overlapped
 * subset an HTTP transport needs, on non-blocking sockets with poll(2).
 *
 * No completion thread exists: an overlapped WSASend/WSARecv completes at
 * once when the socket is ready, or later inside a wait on its event
 * (WSAWaitForMultipleEvents) or in WSAGetOverlappedResult. Nothing ever
 * completes into a buffer once the operation was cancelled (CancelIoEx) or
 * its socket closed.
 *
 * Name resolution is GetAddrInfoA/FreeAddrInfoA (the names ws2tcpip.h gives
 * getaddrinfo's ANSI form), so the stand-in does not shadow the C library's
 * getaddrinfo in the same process. Error codes are Winsock's WSA* numbers.
 */
#ifndef PLATFORM_WINSOCK_H
#define PLATFORM_WINSOCK_H

#include <platform/com.h>

typedef uintptr_t SOCKET;
typedef void* HANDLE;
typedef struct VtWsaEvent* WSAEVENT;

#define INVALID_SOCKET ((SOCKET)~(uintptr_t)0)
#define SOCKET_ERROR (-1)
#define WSA_INVALID_EVENT ((WSAEVENT)0)
#define INFINITE 0xFFFFFFFFu

#define MAKEWORD(lo, hi) ((WORD)(((BYTE)(lo)) | ((WORD)((BYTE)(hi))) << 8))

/* Windows' numbers. Code that also includes the POSIX socket headers
 * (the stand-in itself, tests) defines VT_WINSOCK_NO_SHORT_NAMES and uses
 * the VT_ names, since POSIX numbers AF_INET6 differently. */
#define VT_AF_UNSPEC 0
#define VT_AF_INET 2
#define VT_AF_INET6 23
#define VT_SOCK_STREAM 1
#define VT_SOCK_DGRAM 2
#define VT_IPPROTO_TCP 6
#ifndef VT_WINSOCK_NO_SHORT_NAMES
#define AF_UNSPEC VT_AF_UNSPEC
#define AF_INET VT_AF_INET
#define AF_INET6 VT_AF_INET6
#define SOCK_STREAM VT_SOCK_STREAM
#define SOCK_DGRAM VT_SOCK_DGRAM
#define IPPROTO_TCP VT_IPPROTO_TCP
#endif

#define WSA_FLAG_OVERLAPPED 0x01
#define INADDR_NONE 0xFFFFFFFFu

/* Network events of WSAEventSelect / WSAEnumNetworkEvents. */
#define FD_READ_BIT 0
#define FD_WRITE_BIT 1
#define FD_OOB_BIT 2
#define FD_ACCEPT_BIT 3
#define FD_CONNECT_BIT 4
#define FD_CLOSE_BIT 5
#define FD_MAX_EVENTS 10
#define FD_READ (1 << FD_READ_BIT)
#define FD_WRITE (1 << FD_WRITE_BIT)
#define FD_OOB (1 << FD_OOB_BIT)
#define FD_ACCEPT (1 << FD_ACCEPT_BIT)
#define FD_CONNECT (1 << FD_CONNECT_BIT)
#define FD_CLOSE (1 << FD_CLOSE_BIT)

/* Waits. */
#define WSA_WAIT_EVENT_0 0u
#define WSA_WAIT_TIMEOUT 258u
#define WSA_WAIT_FAILED 0xFFFFFFFFu
#define WSA_MAXIMUM_WAIT_EVENTS 64

/* Error codes, with Windows' values. */
#define WSA_NOT_ENOUGH_MEMORY 8
#define WSA_INVALID_HANDLE 6
#define WSA_INVALID_PARAMETER 87
#define WSA_OPERATION_ABORTED 995
#define WSA_IO_INCOMPLETE 996
#define WSA_IO_PENDING 997
#define WSAEINTR 10004
#define WSAEBADF 10009
#define WSAEACCES 10013
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAEMFILE 10024
#define WSAEWOULDBLOCK 10035
#define WSAEINPROGRESS 10036
#define WSAEALREADY 10037
#define WSAENOTSOCK 10038
#define WSAEDESTADDRREQ 10039
#define WSAEMSGSIZE 10040
#define WSAEPROTOTYPE 10041
#define WSAENOPROTOOPT 10042
#define WSAEPROTONOSUPPORT 10043
#define WSAESOCKTNOSUPPORT 10044
#define WSAEOPNOTSUPP 10045
#define WSAEAFNOSUPPORT 10047
#define WSAEADDRINUSE 10048
#define WSAEADDRNOTAVAIL 10049
#define WSAENETDOWN 10050
#define WSAENETUNREACH 10051
#define WSAENETRESET 10052
#define WSAECONNABORTED 10053
#define WSAECONNRESET 10054
#define WSAENOBUFS 10055
#define WSAEISCONN 10056
#define WSAENOTCONN 10057
#define WSAESHUTDOWN 10058
#define WSAETIMEDOUT 10060
#define WSAECONNREFUSED 10061
#define WSAEHOSTDOWN 10064
#define WSAEHOSTUNREACH 10065
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSATYPE_NOT_FOUND 10109
#define WSAHOST_NOT_FOUND 11001
#define WSATRY_AGAIN 11002
#define WSANO_RECOVERY 11003
#define WSANO_DATA 11004

typedef struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
} WSADATA;

/* Same layout as the POSIX sockaddr: a 16-bit family, then the address. */
typedef struct SOCKADDR {
    USHORT sa_family;
    char sa_data[14];
} SOCKADDR;

typedef struct ADDRINFOA {
    int ai_flags;
    int ai_family;
    int ai_socktype;
    int ai_protocol;
    size_t ai_addrlen;
    char* ai_canonname;
    SOCKADDR* ai_addr;
    struct ADDRINFOA* ai_next;
} ADDRINFOA;

typedef struct VtHostent {
    char* h_name;
    char** h_aliases;
    short h_addrtype;
    short h_length;
    char** h_addr_list;
} HOSTENT;

typedef struct WSABUF {
    ULONG len;
    char* buf;
} WSABUF;

/* Internal: the status of a completed operation (0 or a WSA code);
 * InternalHigh: the bytes transferred. */
typedef struct OVERLAPPED {
    uintptr_t Internal;
    uintptr_t InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    WSAEVENT hEvent;
} OVERLAPPED;
typedef OVERLAPPED WSAOVERLAPPED;

typedef struct WSANETWORKEVENTS {
    LONG lNetworkEvents;
    int iErrorCode[FD_MAX_EVENTS];
} WSANETWORKEVENTS;

VT_BEGIN_C

VT_PLATFORM_API int WSAStartup(WORD version, WSADATA* data);
VT_PLATFORM_API int WSACleanup(void);
VT_PLATFORM_API int WSAGetLastError(void);
VT_PLATFORM_API void WSASetLastError(int error);

/* Returns 0 or a WSA error code (as Windows' getaddrinfo does). */
VT_PLATFORM_API int GetAddrInfoA(LPCSTR node, LPCSTR service, const ADDRINFOA* hints,
                                 ADDRINFOA** result);
VT_PLATFORM_API void FreeAddrInfoA(ADDRINFOA* info);

/* Calls whose names the C library has too are exported with a VtWs_ prefix,
 * so the stand-in never takes the place of the C library's in the process;
 * code that does not see the POSIX headers calls them by Windows' names. */

/* Network byte order; INADDR_NONE for anything but a dotted quad. */
VT_PLATFORM_API ULONG VtWs_inet_addr(const char* text);
/* Needs WSAStartup. The answer is the thread's until its next call; null
 * with WSAGetLastError set when the name does not resolve. A name that a
 * connect-to rule redirects is not looked up. */
VT_PLATFORM_API HOSTENT* VtWs_gethostbyname(const char* name);

VT_PLATFORM_API SOCKET WSASocketA(int family, int type, int protocol, void* protocol_info,
                                  UINT group, DWORD flags);
VT_PLATFORM_API int closesocket(SOCKET s);
/* Non-blocking: a connect under way fails with WSAEWOULDBLOCK and reports
 * FD_CONNECT with its outcome. Caller data and QOS are not supported. */
VT_PLATFORM_API int WSAConnect(SOCKET s, const SOCKADDR* name, int name_length, WSABUF* caller_data,
                               WSABUF* callee_data, void* sqos, void* gqos);
VT_PLATFORM_API int WSAEventSelect(SOCKET s, WSAEVENT event, LONG network_events);
VT_PLATFORM_API int WSAEnumNetworkEvents(SOCKET s, WSAEVENT event, WSANETWORKEVENTS* events);

/* Completion routines are not supported (must be null). With an overlapped
 * record: 0 when done at once (the event is signalled too), else
 * SOCKET_ERROR with WSA_IO_PENDING. One send and one receive per socket may
 * be pending. */
VT_PLATFORM_API int WSASend(SOCKET s, WSABUF* buffers, DWORD count, DWORD* sent, DWORD flags,
                            WSAOVERLAPPED* overlapped, void* completion_routine);
VT_PLATFORM_API int WSARecv(SOCKET s, WSABUF* buffers, DWORD count, DWORD* received, DWORD* flags,
                            WSAOVERLAPPED* overlapped, void* completion_routine);
VT_PLATFORM_API BOOL WSAGetOverlappedResult(SOCKET s, WSAOVERLAPPED* overlapped, DWORD* transferred,
                                            BOOL wait, DWORD* flags);
/* The socket's pending operation with this record (all with null) ends with
 * WSA_OPERATION_ABORTED; its buffers are never touched again. */
VT_PLATFORM_API BOOL CancelIoEx(HANDLE handle, OVERLAPPED* overlapped);

/* Manual-reset events, created non-signalled. */
VT_PLATFORM_API WSAEVENT WSACreateEvent(void);
VT_PLATFORM_API BOOL WSASetEvent(WSAEVENT event);
VT_PLATFORM_API BOOL WSAResetEvent(WSAEVENT event);
VT_PLATFORM_API BOOL WSACloseEvent(WSAEVENT event);
/* Waits on poll(2), never spinning; drives the sockets tied to the events.
 * Alertable waits are not supported. */
VT_PLATFORM_API DWORD WSAWaitForMultipleEvents(DWORD count, const WSAEVENT* events, BOOL wait_all,
                                               DWORD timeout, BOOL alertable);

/* Stand-in only: curl's --connect-to for this process. A later
 * GetAddrInfoA of host with the service port resolves host2:port2
 * instead; so does a connect to an address gethostbyname gave for host or
 * to host as a dotted address. An empty (or null) host matches any host, a
 * port of 0 any port; an empty host2 or a port2 of 0 keeps the original.
 * The first rule that matches wins. Returns 0. */
VT_PLATFORM_API int VtResolverAddConnectTo(LPCSTR host, USHORT port, LPCSTR host2, USHORT port2);
VT_PLATFORM_API void VtResolverClearConnectTo(void);

/* Stand-in only: the last network failure in this process, so that a host
 * can say why a request failed although the module logs nothing. A refused,
 * reset or failed connect, send or receive, a failed name lookup, and an
 * operation given up while it waited (a cancelled transfer, a socket closed
 * while connecting: reported as WSAETIMEDOUT) replace the record. */
enum VtNetOperation {
    VT_NET_NONE = 0,
    VT_NET_RESOLVE = 1,
    VT_NET_CONNECT = 2,
    VT_NET_SEND = 3,
    VT_NET_RECEIVE = 4
};
typedef struct VtNetFailure {
    int error;     /* a WSA code; 0 when nothing failed since the last clear */
    int operation; /* enum VtNetOperation */
    char peer[96]; /* "127.0.0.1:9", "[::1]:80", or the name looked up */
} VtNetFailure;
VT_PLATFORM_API void VtNetGetLastFailure(VtNetFailure* failure);
VT_PLATFORM_API void VtNetClearLastFailure(void);

/* Stand-in only: the errno of a failed socket call as a WSA code. */
VT_PLATFORM_API int VtWsaErrorFromErrno(int error);

/* Stand-in only: the system calls under the sockets, replaceable so tests
 * can fail the n-th call. Each returns what the POSIX call returns and sets
 * errno. A null pointer in the table, or a null table, restores the system's. */
typedef struct VtSocketFunctions {
    int (*socket)(int domain, int type, int protocol);
    int (*connect)(int fd, const void* address, unsigned address_length);
    long (*send)(int fd, const void* buffer, size_t length, int flags);
    long (*recv)(int fd, void* buffer, size_t length, int flags);
    int (*close)(int fd);
} VtSocketFunctions;
VT_PLATFORM_API void VtSetSocketFunctions(const VtSocketFunctions* functions);

VT_END_C

/* Plain blocking sockets: socket, connect, select, recv, send, shutdown,
 * ioctlsocket and closesocket, as Winsock has them. A socket from socket()
 * blocks until ioctlsocket(FIONBIO) makes it non-blocking; a non-blocking
 * connect fails with WSAEWOULDBLOCK and select reports its outcome: the
 * socket turns writable when connected, and shows in the exception set when
 * the connect failed. connect honours the connect-to rules. Closing a
 * socket while another thread blocks in it is not supported.
 *
 * Windows' fd_set and timeval differ from the C
 * library's, which libstdc++ pulls in through <stdlib.h>: this header takes
 * that in first and then names its own types fd_set and timeval, so include
 * it after any system header that uses those names. */
#define VT_FD_SETSIZE 64

typedef struct VtWsFdSet {
    UINT fd_count;
    SOCKET fd_array[VT_FD_SETSIZE];
} VtWsFdSet;

typedef struct VtWsTimeval {
    long tv_sec;
    long tv_usec;
} VtWsTimeval;

typedef struct VtInAddr {
    ULONG s_addr; /* network byte order */
} IN_ADDR;

typedef struct VtSockaddrIn {
    USHORT sin_family;
    USHORT sin_port; /* network byte order */
    IN_ADDR sin_addr;
    char sin_zero[8];
} SOCKADDR_IN;

#define VT_FIONBIO ((long)0x8004667EL)
#define SD_RECEIVE 0
#define SD_SEND 1
#define SD_BOTH 2

VT_BEGIN_C

VT_PLATFORM_API SOCKET VtWs_socket(int family, int type, int protocol);
VT_PLATFORM_API int VtWs_connect(SOCKET s, const SOCKADDR* name, int name_length);
/* Only FIONBIO. */
VT_PLATFORM_API int ioctlsocket(SOCKET s, long command, unsigned long* argument);
/* The first argument is ignored, as on Windows. Returns the number of
 * sockets ready in all three sets, which are reduced to those; 0 when the
 * time-out (null: none) passed. Waits in poll(2), never spinning. */
VT_PLATFORM_API int VtWs_select(int ignored, VtWsFdSet* read_set, VtWsFdSet* write_set,
                                VtWsFdSet* except_set, const VtWsTimeval* timeout);
/* Flags: 0 or MSG_PEEK (2) for recv, 0 for send. recv returns 0 when the
 * peer closed the connection. */
VT_PLATFORM_API int VtWs_recv(SOCKET s, char* buffer, int length, int flags);
VT_PLATFORM_API int VtWs_send(SOCKET s, const char* buffer, int length, int flags);
VT_PLATFORM_API int VtWs_shutdown(SOCKET s, int how);
VT_PLATFORM_API int VtWs_FDIsSet(SOCKET s, const VtWsFdSet* set);

VT_END_C

#define VT_FD_ZERO(set) ((set)->fd_count = 0)
#define VT_FD_ISSET(s, set) VtWs_FDIsSet((SOCKET)(s), (set))
/* Adds a socket not yet in the set, while there is room. */
#define VT_FD_SET(s, set)                                                        \
    do {                                                                         \
        VtWsFdSet* vt_set_ = (set);                                              \
        if (!VtWs_FDIsSet((SOCKET)(s), vt_set_) && vt_set_->fd_count < VT_FD_SETSIZE) \
            vt_set_->fd_array[vt_set_->fd_count++] = (SOCKET)(s);                \
    } while (0)

static inline USHORT VtWs_htons(USHORT value) {
    return (USHORT)((value >> 8) | (value << 8));
}

#ifndef VT_WINSOCK_NO_SHORT_NAMES
static inline ULONG inet_addr(const char* text) { return VtWs_inet_addr(text); }
static inline HOSTENT* gethostbyname(const char* name) { return VtWs_gethostbyname(name); }
static inline SOCKET socket(int family, int type, int protocol) {
    return VtWs_socket(family, type, protocol);
}
static inline int connect(SOCKET s, const SOCKADDR* name, int name_length) {
    return VtWs_connect(s, name, name_length);
}
static inline int recv(SOCKET s, char* buffer, int length, int flags) {
    return VtWs_recv(s, buffer, length, flags);
}
static inline int send(SOCKET s, const char* buffer, int length, int flags) {
    return VtWs_send(s, buffer, length, flags);
}
static inline int shutdown(SOCKET s, int how) { return VtWs_shutdown(s, how); }
static inline USHORT htons(USHORT value) { return VtWs_htons(value); }
/* The C library declared its select through <stdlib.h> already: C++
 * overloads it, C takes the name over. */
#ifdef __cplusplus
static inline int select(int ignored, VtWsFdSet* read_set, VtWsFdSet* write_set,
                         VtWsFdSet* except_set, const VtWsTimeval* timeout) {
    return VtWs_select(ignored, read_set, write_set, except_set, timeout);
}
#else
#define select VtWs_select
#endif
#include <stdlib.h>
#undef FD_SETSIZE
#undef FD_ZERO
#undef FD_ISSET
#undef FD_SET
#undef FD_CLR
#define FD_SETSIZE VT_FD_SETSIZE
#define FD_ZERO VT_FD_ZERO
#define FD_ISSET VT_FD_ISSET
#define FD_SET VT_FD_SET
#define fd_set VtWsFdSet
#define timeval VtWsTimeval
#define FIONBIO VT_FIONBIO
typedef unsigned long u_long;
#endif

#endif /* PLATFORM_WINSOCK_H */
