// The lab's socket side: accepts one client at a time on a loopback port,
// reads one request head, answers it through Dispatch, logs the request
// line and closes. A client that stalls holds the others back for at most
// kRequestTimeoutMs.
#pragma once

#include "lab/state.h"

#include <platform/tcpserver.h>

#include <cstdio>
#include <memory>

namespace vantrel::lab {

constexpr DWORD kRequestTimeoutMs = 5000;
// The update requests are well under 1 KiB; a head beyond this is refused.
constexpr size_t kMaxHeadBytes = 16 * 1024;

struct ListenerCloser {
    void operator()(VtTcpListener* listener) const { VtTcpCloseListener(listener); }
};
using ListenerHandle = std::unique_ptr<VtTcpListener, ListenerCloser>;

struct ConnectionCloser {
    void operator()(VtTcpConnection* connection) const { VtTcpCloseConnection(connection); }
};
using ConnectionHandle = std::unique_ptr<VtTcpConnection, ConnectionCloser>;

class LabServer {
public:
    static VtTcpResult Create(const char* address, WORD port, std::unique_ptr<LabServer>* server);

    WORD Port() const { return VtTcpListenerPort(m_listener.get()); }
    VtTcpResult StopOnSignals() { return VtTcpStopOnSignals(m_listener.get()); }
    // Safe from any thread; Serve returns once its current client is done.
    void Stop() { VtTcpStopListener(m_listener.get()); }
    // Serves until stopped; each request line goes to `log` when not null.
    void Serve(LabState& state, std::FILE* log);

private:
    explicit LabServer(ListenerHandle listener) : m_listener(std::move(listener)) {}

    ListenerHandle m_listener;
};

// One exchange on an accepted connection.
void ServeConnection(VTCONNECTION connection, LabState& state, std::FILE* log);

}  // namespace vantrel::lab
