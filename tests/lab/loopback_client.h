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

// What `fd` gives until it closes, a wait passes 5 s without data, or (when
// asked) a whole first line has arrived.
inline std::string ReadFrom(int fd, bool first_line_only = false) {
    std::string data;
    char block[4096];
    pollfd wait = {fd, POLLIN, 0};
    ssize_t n = 0;
    while ((!first_line_only || data.find('\n') == std::string::npos) && poll(&wait, 1, 5000) > 0 &&
           (n = read(fd, block, sizeof block)) > 0) {
        data.append(block, static_cast<size_t>(n));
    }
    return data;
}

class LoopbackClient {
public:
    explicit LoopbackClient(uint16_t port) : m_fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        // A failed connect shows as a failed Send.
        if (m_fd >= 0) {
            connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
    }
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;
    ~LoopbackClient() { Close(); }

    void Close() {
        if (m_fd >= 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    bool Send(std::string_view data) {
        ssize_t n = 0;
        while (!data.empty() && (n = send(m_fd, data.data(), data.size(), MSG_NOSIGNAL)) > 0) {
            data.remove_prefix(static_cast<size_t>(n));
        }
        return data.empty();
    }
    std::string ReadToClose() { return ReadFrom(m_fd); }

private:
    int m_fd;
};

}  // namespace vantrel::lab::testing
