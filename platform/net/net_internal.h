// Shared state of the stand-in sockets. One lock guards every socket and
// its pending operations; it is never held across a blocking poll.
#pragma once

#define VT_WINSOCK_NO_SHORT_NAMES
#include <platform/winsock.h>
#include <sys/socket.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

struct VtWsaEvent {
    std::atomic<bool> signaled{false};
    // Waiters poll wake_fd (an eventfd); a setter writes it only when
    // someone waits, so a same-thread set and wait costs no system call.
    std::atomic<int> waiters{0};
    int wake_fd = -1;
};

namespace vtnet {

struct PendingOp {
    OVERLAPPED* overlapped = nullptr;
    std::vector<WSABUF> buffers;
    DWORD done = 0;

    bool Active() const { return overlapped != nullptr; }
};

enum class SocketState { kIdle, kConnecting, kConnected };

struct Socket {
    int fd = -1;
    SocketState state = SocketState::kIdle;
    // The kernel descriptor is always non-blocking; a socket made by
    // socket() blocks in the plain calls until FIONBIO says otherwise.
    bool blocking = false;
    // A non-blocking plain connect that failed: select reports it in the
    // exception set.
    bool connect_failed = false;
    WSAEVENT select_event = nullptr;
    LONG select_mask = 0;
    LONG recorded = 0;
    int errors[FD_MAX_EVENTS] = {};
    PendingOp recv;
    PendingOp send;
    // Where the last connect went, for the failure record.
    sockaddr_storage peer{};
};

// Replaces the process's failure record (VtNetGetLastFailure).
void NoteFailure(int operation, int error, const Socket& s);
void NoteResolveFailure(int error, const char* name);

std::mutex& Lock();
// Null for a handle that is not a live socket; under Lock().
Socket* FindSocket(SOCKET s);
// Every live socket, for waits; call under Lock().
const std::vector<Socket*>& AllSockets();
bool IsEvent(WSAEVENT event);
void Signal(WSAEVENT event);
bool IsStarted();

const VtSocketFunctions& Functions();

// A new socket in the table, or INVALID_SOCKET with the last error set.
SOCKET OpenSocket(int family, int type, int protocol, bool blocking);
// The outcome of a connect under way once poll(2) reported the socket,
// recorded in its state; the Winsock error, 0 when connected. Under Lock().
int FinishConnect(Socket& socket);

// Moves pending operations and connects of a ready socket along; poll
// revents in, under Lock().
void Drive(Socket& socket, short revents);
// The poll(2) events a waiter on these events needs from the socket.
short Interest(const Socket& socket, const WSAEVENT* events, DWORD count);
// Ends a pending operation: status and count into its record, event signalled.
void Complete(PendingOp& op, int status);
// One non-blocking attempt on a pending operation; true when it finished.
bool TryRecv(Socket& socket);
bool TrySend(Socket& socket);

// --connect-to. The first rule matching host:port gives the host and port
// to use instead (an empty HOST2 or PORT2 keeps the original).
bool MatchConnectTo(std::string_view host, USHORT port, std::string* host2, USHORT* port2);
// For gethostbyname, which has no port: HOST2 of the first rule naming host.
bool ConnectToHostFor(std::string_view name, std::string* host2);
void RememberAlias(uint32_t address, std::string_view name);
// Where a connection to address:port (network byte order, host-order port)
// goes instead: rules are matched on the names gethostbyname resolved to
// that address through a rule, then on the dotted address. False when no
// rule applies.
bool RedirectConnection(uint32_t address, uint16_t port, uint32_t* address2, uint16_t* port2);

}  // namespace vtnet
