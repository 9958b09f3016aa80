// One TCP connection with a non-blocking connect and overlapped sends and
// receives, each awaited for a bounded time.
#pragma once

#include "http/transport.h"

// Only the VT_ socket names: includers may use the POSIX socket headers too.
#define VT_WINSOCK_NO_SHORT_NAMES
#include <platform/winsock.h>

#include <chrono>
#include <cstdint>
#include <mutex>

namespace vantrel::http {

class EventSocket final : public ITransport {
public:
    // The connect wait is fixed; the time-out covers sends and receives.
    static constexpr DWORD kConnectWaitMs = 10000;
    static constexpr DWORD kDefaultTimeoutMs = 10000;

    EventSocket();
    ~EventSocket();
    EventSocket(const EventSocket&) = delete;
    EventSocket& operator=(const EventSocket&) = delete;

    using Clock = std::chrono::steady_clock;

    // Returns the previous time-out.
    DWORD SetTimeout(DWORD milliseconds);
    // Every wait also ends at this point, and nothing starts after it
    // (WSAETIMEDOUT): a peer that trickles bytes cannot hold the caller
    // longer. None at construction.
    void SetDeadline(Clock::time_point deadline) { m_deadline = deadline; }
    // True at once when already connected.
    bool Connect(const char* host, uint16_t port);
    bool Send(const char* buffer, int length, int* sent);
    bool Receive(char* buffer, int room, int* count) override;
    // Safe when nothing is open.
    void Close() override;
    bool IsConnected() const { return m_connected; }
    // The Winsock code of the last failure, for diagnosis only.
    int LastError() const { return m_last_error; }

private:
    bool CreateSocket(const ADDRINFOA& address);
    // The wait allowed now: at most `wait`, never past the deadline. False,
    // with WSAETIMEDOUT, once the deadline has passed.
    bool Budget(DWORD wait, DWORD* allowed);
    bool WaitConnected();
    // Sends and receives first wait for the connect event (WSAENOTCONN).
    bool WaitForConnection();
    enum class Direction { kSend, kReceive };
    // Starts one overlapped operation and waits for it; cancels it when
    // the wait runs out, so it never completes into the caller's buffer.
    bool Transfer(WSAEVENT event, char* buffer, int length, int* done, Direction direction);

    DWORD m_flags = WSA_FLAG_OVERLAPPED;
    WSAEVENT m_read_event = WSA_INVALID_EVENT;
    WSAEVENT m_write_event = WSA_INVALID_EVENT;
    WSAEVENT m_connect_event = WSA_INVALID_EVENT;
    std::mutex m_read_lock;
    std::mutex m_write_lock;
    SOCKET m_socket = INVALID_SOCKET;
    bool m_connected = false;
    int m_last_error = 0;
    DWORD m_timeout = kDefaultTimeoutMs;
    Clock::time_point m_deadline = Clock::time_point::max();
};

// Once, when the module unloads: undoes the process's Winsock start-up if
// an EventSocket made it.
void ShutdownEventSockets();

}  // namespace vantrel::http
