#include "http/event_socket.h"

#include <string>

namespace vantrel::http {

namespace {

// WSAEFAULT until the first start-up: counts as not started.
int g_startup_result = WSAEFAULT;

// Registered before any socket starts Winsock, so it runs when the module
// holding this code unloads, while the platform is still there.
struct StartupGuard {
    ~StartupGuard() { ShutdownEventSockets(); }
} g_startup_guard;

}  // namespace

EventSocket::EventSocket() {
    if (g_startup_result != 0) {
        WSADATA data;
        g_startup_result = WSAStartup(MAKEWORD(2, 0), &data);
    }
}

EventSocket::~EventSocket() { Close(); }

void ShutdownEventSockets() {
    if (g_startup_result == 0) {
        WSACleanup();
        g_startup_result = WSAEFAULT;
    }
}

DWORD EventSocket::SetTimeout(DWORD milliseconds) {
    DWORD previous = m_timeout;
    m_timeout = milliseconds;
    return previous;
}

bool EventSocket::Budget(DWORD wait, DWORD* allowed) {
    const Clock::time_point now = Clock::now();
    if (now >= m_deadline) {
        m_last_error = WSAETIMEDOUT;
        return false;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_deadline - now).count();
    *allowed = left < static_cast<int64_t>(wait) ? static_cast<DWORD>(left) : wait;
    return true;
}

bool EventSocket::CreateSocket(const ADDRINFOA& address) {
    m_socket = WSASocketA(address.ai_family, address.ai_socktype, address.ai_protocol, nullptr, 0,
                          m_flags);
    if (m_socket == INVALID_SOCKET) {
        m_last_error = WSAGetLastError();
        return false;
    }
    m_read_event = WSACreateEvent();
    m_write_event = WSACreateEvent();
    m_connect_event = WSACreateEvent();
    if (m_read_event == WSA_INVALID_EVENT || m_write_event == WSA_INVALID_EVENT ||
        m_connect_event == WSA_INVALID_EVENT) {
        m_last_error = WSAGetLastError();
        return false;
    }
    WSASetEvent(m_read_event);
    WSASetEvent(m_write_event);
    // Winsock keeps one event per socket: the connect event carries
    // FD_CONNECT, while sends and receives signal their own events
    // through their overlapped records.
    if (WSAEventSelect(m_socket, m_connect_event, FD_CONNECT) != 0) {
        m_last_error = WSAGetLastError();
        return false;
    }
    return true;
}

bool EventSocket::Connect(const char* host, uint16_t port) {
    if (m_connected) {
        return true;
    }
    ADDRINFOA hints{};
    hints.ai_family = VT_AF_UNSPEC;
    hints.ai_socktype = VT_SOCK_STREAM;
    ADDRINFOA* found = nullptr;
    int error = GetAddrInfoA(host, std::to_string(port).c_str(), &hints, &found);
    if (error != 0) {
        m_last_error = error;
        return false;
    }
    // Only the first address is ever tried.
    const ADDRINFOA& address = *found;
    bool ok = m_socket != INVALID_SOCKET || CreateSocket(address);
    if (ok) {
        if (WSAConnect(m_socket, address.ai_addr, static_cast<int>(address.ai_addrlen), nullptr,
                       nullptr, nullptr, nullptr) != 0) {
            ok = WaitConnected();
        }
    }
    FreeAddrInfoA(found);
    m_connected = ok;
    return ok;
}

bool EventSocket::WaitConnected() {
    int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) {
        m_last_error = error;
        return false;
    }
    DWORD wait = 0;
    if (!Budget(kConnectWaitMs, &wait) ||
        WSAWaitForMultipleEvents(1, &m_connect_event, FALSE, wait, FALSE) != WSA_WAIT_EVENT_0) {
        return false;
    }
    // No event given: the connect event stays signalled for the connection's life.
    WSANETWORKEVENTS events{};
    if (WSAEnumNetworkEvents(m_socket, WSA_INVALID_EVENT, &events) != 0) {
        m_last_error = WSAGetLastError();
        return false;
    }
    if ((events.lNetworkEvents & FD_CONNECT) != 0 && events.iErrorCode[FD_CONNECT_BIT] != 0) {
        m_last_error = events.iErrorCode[FD_CONNECT_BIT];
        return false;
    }
    return true;
}

bool EventSocket::WaitForConnection() {
    DWORD wait = 0;
    if (!Budget(m_timeout, &wait)) {
        return false;
    }
    if (m_connect_event == WSA_INVALID_EVENT ||
        WSAWaitForMultipleEvents(1, &m_connect_event, FALSE, wait, FALSE) != WSA_WAIT_EVENT_0) {
        m_last_error = WSAENOTCONN;
        return false;
    }
    return true;
}

bool EventSocket::Transfer(WSAEVENT event, char* buffer, int length, int* done,
                           Direction direction) {
    WSAResetEvent(event);
    WSAOVERLAPPED overlapped{};
    overlapped.hEvent = event;
    WSABUF piece{static_cast<ULONG>(length), buffer};
    DWORD count = 0;
    DWORD flags = 0;
    int rc = direction == Direction::kReceive ? WSARecv(m_socket, &piece, 1, &count, &flags, &overlapped, nullptr)
                     : WSASend(m_socket, &piece, 1, &count, 0, &overlapped, nullptr);
    if (rc != 0 && WSAGetLastError() != WSA_IO_PENDING) {
        m_last_error = WSAGetLastError();
        WSASetEvent(event);
        return false;
    }
    DWORD wait = 0;
    if (!Budget(m_timeout, &wait) ||
        WSAWaitForMultipleEvents(1, &event, FALSE, wait, FALSE) != WSA_WAIT_EVENT_0) {
        CancelIoEx(reinterpret_cast<HANDLE>(m_socket), &overlapped);
        WSASetEvent(event);
        return false;
    }
    if (!WSAGetOverlappedResult(m_socket, &overlapped, &count, FALSE, &flags)) {
        m_last_error = WSAGetLastError();
        if (overlapped.Internal == WSA_IO_PENDING) {
            CancelIoEx(reinterpret_cast<HANDLE>(m_socket), &overlapped);
        }
        WSASetEvent(event);
        return false;
    }
    *done = static_cast<int>(count);
    return true;
}

bool EventSocket::Send(const char* buffer, int length, int* sent) {
    *sent = 0;
    if (!WaitForConnection()) {
        return false;
    }
    if (WSAWaitForMultipleEvents(1, &m_write_event, FALSE, 0, FALSE) != WSA_WAIT_EVENT_0) {
        m_last_error = WSAEINPROGRESS;
        return false;
    }
    std::lock_guard<std::mutex> guard(m_write_lock);
    // WSASend only reads the buffer; WSABUF is not const-qualified.
    return Transfer(m_write_event, const_cast<char*>(buffer), length, sent, Direction::kSend);
}

bool EventSocket::Receive(char* buffer, int room, int* count) {
    *count = 0;
    if (!WaitForConnection()) {
        return false;
    }
    std::lock_guard<std::mutex> guard(m_read_lock);
    return Transfer(m_read_event, buffer, room, count, Direction::kReceive);
}

void EventSocket::Close() {
    if (m_socket != INVALID_SOCKET) {
        m_connected = false;
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
    for (WSAEVENT* event : {&m_read_event, &m_write_event, &m_connect_event}) {
        if (*event != WSA_INVALID_EVENT) {
            WSACloseEvent(*event);
            *event = WSA_INVALID_EVENT;
        }
    }
}

}  // namespace vantrel::http
