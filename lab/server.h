// The lab's socket side: accepts one client at a time on two loopback
// ports, HTTP and GnuDIP's TCP form. An HTTP client sends one request
// head, answered through Dispatch; a GnuDIP client gets a salt line and
// sends one request line. Each request is logged and the connection
// closed. A client that stalls holds the others back for at most
// kRequestTimeoutMs.
#pragma once

#include "lab/state.h"

#include <platform/tcpserver.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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
    static VtTcpResult Create(const char* address, WORD port, WORD gnudip_port,
                              std::unique_ptr<LabServer>* server);

    WORD Port() const { return VtTcpListenerPort(m_http.get()); }
    WORD GnuDipPort() const { return VtTcpListenerPort(m_gnudip.get()); }
    VtTcpResult StopOnSignals() { return VtTcpStopOnSignals(m_http.get()); }
    // Safe from any thread; Serve returns once its current client is done.
    void Stop() { VtTcpStopListener(m_http.get()); }
    // Serves until stopped; each request line goes to `log` when not null.
    void Serve(LabState& state, std::FILE* log);

private:
    LabServer(ListenerHandle http, ListenerHandle gnudip)
        : m_http(std::move(http)), m_gnudip(std::move(gnudip)) {}

    ListenerHandle m_http;
    ListenerHandle m_gnudip;
};

// One HTTP exchange on an accepted connection.
void ServeConnection(VTCONNECTION connection, LabState& state, std::FILE* log);

enum class ReadResult { kComplete, kClosed, kTimedOut, kTooLarge };

// Where what was read so far ends, just past its terminator; nothing yet.
using EndFinder = std::optional<size_t> (*)(std::string_view data);
// Reads until `find_end` sees the end (at `end`) within kRequestTimeoutMs
// and kMaxHeadBytes.
ReadResult ReadUntil(VTCONNECTION connection, std::string& data, size_t& end,
                     EndFinder find_end);
// Just past the first line feed.
std::optional<size_t> FindLineEnd(std::string_view data);
// The first line as logged: control bytes shown as "?", length capped.
std::string LoggedLine(std::string_view data);

}  // namespace vantrel::lab
