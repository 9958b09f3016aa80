// A raw loopback client for the lab's socket tests: connect to 127.0.0.1,
// send, and read with poll-bounded waits.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::lab::testing {

class LoopbackClient {
public:
    explicit LoopbackClient(uint16_t port) : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_connected =
            m_fd >= 0 && connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;
    ~LoopbackClient() { Close(); }

    bool Connected() const { return m_connected; }
    void Close() {
        if (m_fd >= 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    bool Send(std::string_view data) {
        while (!data.empty()) {
            ssize_t n = send(m_fd, data.data(), data.size(), MSG_NOSIGNAL);
            if (n <= 0) {
                return false;
            }
            data.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }
    // Everything until the peer closes; stops early when a wait passes
    // timeout_ms without data.
    std::string ReadToClose(int timeout_ms = 5000) {
        std::string data;
        char block[4096];
        for (;;) {
            pollfd fd = {m_fd, POLLIN, 0};
            if (poll(&fd, 1, timeout_ms) <= 0) {
                return data;
            }
            ssize_t n = recv(m_fd, block, sizeof block, 0);
            if (n <= 0) {
                return data;
            }
            data.append(block, static_cast<size_t>(n));
        }
    }

private:
    int m_fd;
    bool m_connected = false;
};

}  // namespace vantrel::lab::testing
