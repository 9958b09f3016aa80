/*
 * A small IPv4 stream server for local stand-ins of remote services: listen
 * on a dotted address, accept with a bounded wait, read and write with
 * time-outs, close. Every wait is a poll, never a spin.
 *
 * A listener carries a stop event. VtTcpStopListener (any thread) or, once
 * VtTcpStopOnSignals has bound it, SIGINT/SIGTERM sets it; from then on
 * every wait of the listener and of the connections it accepted ends with
 * VT_TCP_STOPPED. Connections stay valid after their listener is closed.
 */
#ifndef PLATFORM_TCPSERVER_H
#define PLATFORM_TCPSERVER_H

#include <platform/com.h>

typedef struct VtTcpListener* VTLISTENER;
typedef struct VtTcpConnection* VTCONNECTION;

typedef enum VtTcpResult {
    VT_TCP_OK = 0,
    VT_TCP_TIMEOUT = 1,          /* the wait ended without the event */
    VT_TCP_STOPPED = 2,          /* the listener's stop event is set */
    VT_TCP_CLOSED = 3,           /* the peer closed or reset the connection */
    VT_TCP_INVALID_ARGUMENT = 4, /* null handle or pointer, bad address text */
    VT_TCP_ADDRESS_IN_USE = 5,
    VT_TCP_NO_MEMORY = 6,
    VT_TCP_FAILED = 7 /* any other system failure */
} VtTcpResult;

#define VT_TCP_INFINITE 0xFFFFFFFFu

VT_BEGIN_C

/* Listens on a dotted IPv4 address; port 0 takes any free port. */
VT_PLATFORM_API VtTcpResult VtTcpListen(LPCSTR address, WORD port, VTLISTENER* listener);
/* The port actually bound, in host order; 0 for a null listener. */
VT_PLATFORM_API WORD VtTcpListenerPort(VTLISTENER listener);
/* Waits up to timeout_ms for a client; *connection is null unless VT_TCP_OK. */
VT_PLATFORM_API VtTcpResult VtTcpAccept(VTLISTENER listener, DWORD timeout_ms,
                                        VTCONNECTION* connection);
/* The same over several listeners, served by one thread: waits for a
 * client on any of them; *index (may be null) tells which. The stop event
 * of any of them ends the wait with VT_TCP_STOPPED. */
VT_PLATFORM_API VtTcpResult VtTcpAcceptAny(const VTLISTENER* listeners, DWORD count,
                                           DWORD timeout_ms, VTCONNECTION* connection,
                                           DWORD* index);
/* Sets the stop event; safe from any thread. */
VT_PLATFORM_API VtTcpResult VtTcpStopListener(VTLISTENER listener);
/* Binds SIGINT and SIGTERM to this listener's stop event, and ignores
 * SIGPIPE so that a closed stdout or log pipe cannot end the server
 * mid-reply. One listener per process at a time; closing it restores the
 * default actions of SIGINT and SIGTERM. */
VT_PLATFORM_API VtTcpResult VtTcpStopOnSignals(VTLISTENER listener);
VT_PLATFORM_API void VtTcpCloseListener(VTLISTENER listener);

/* The peer's dotted IPv4 address, NUL-terminated; size of at least 16. */
VT_PLATFORM_API VtTcpResult VtTcpPeerAddress(VTCONNECTION connection, LPSTR buffer, DWORD size);
/* Waits up to timeout_ms for data and receives at most size bytes into
 * buffer. *received is the count; the peer's orderly close gives
 * VT_TCP_CLOSED with *received 0. */
VT_PLATFORM_API VtTcpResult VtTcpRead(VTCONNECTION connection, void* buffer, DWORD size,
                                      DWORD timeout_ms, DWORD* received);
/* Sends all size bytes; timeout_ms bounds the whole send. *sent tells how
 * far it came on failure (may be null). */
VT_PLATFORM_API VtTcpResult VtTcpWrite(VTCONNECTION connection, const void* data, DWORD size,
                                       DWORD timeout_ms, DWORD* sent);
/* Sends what is queued, then closes. */
VT_PLATFORM_API void VtTcpCloseConnection(VTCONNECTION connection);

VT_END_C

#endif /* PLATFORM_TCPSERVER_H */
