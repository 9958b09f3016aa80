// The TCP form of the GnuDIP exchange on a plain blocking socket: the
// server sends a salt line, the client one request line with the salted
// digest, the server one reply line.
//
// Every wait is bounded: the connect by 10 s, and each receive by three
// readiness waits of 5 s, so a server that stalls mid-line ends the
// exchange 15 s after its last byte at most; each send waits for the
// socket to take data three times 2 s at most.
#pragma once

#include "providers/gnudip/gnudip_protocol.h"

#include <platform/winsock.h>

namespace vantrel::gnudip {

class GnuDIPTcpClient {
public:
    // The socket library is started here (once per client: the platform
    // counts start-ups); nothing is opened until Run.
    GnuDIPTcpClient(const Text& host, uint16_t port);
    ~GnuDIPTcpClient();
    GnuDIPTcpClient(const GnuDIPTcpClient&) = delete;
    GnuDIPTcpClient& operator=(const GnuDIPTcpClient&) = delete;

    void Set(const Text& user, const Text& password, const Text& domain, const Text& address,
             RequestCode code);
    // True when the server answered the request line; the verdict is
    // meaningful only then.
    [[nodiscard]] bool Run(Verdict& verdict);

private:
    enum class Readiness { kRead, kWrite };

    bool Connect();
    // Up to three waits of `seconds` each for the socket to become ready.
    bool WaitReady(Readiness readiness, long seconds);
    bool ReadLine(LineBuffer& line);
    bool SendAll(const Text& bytes);
    void CloseSocket();

    Text m_host;
    uint16_t m_port;
    Request m_request;
    SOCKET m_socket = INVALID_SOCKET;
    bool m_started = false;
};

}  // namespace vantrel::gnudip
