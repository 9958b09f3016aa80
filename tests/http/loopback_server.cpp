#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace vantrel::testing {

// clang-format off
Action ReadRequest() { return {Action::Kind::kReadRequest}; }
Action ReadLine() { return {Action::Kind::kReadLine}; }
Action Send(std::string bytes) { return {Action::Kind::kSend, std::move(bytes)}; }
Action Trickle(std::string bytes, size_t piece, std::chrono::milliseconds delay) {
    return {Action::Kind::kSend, std::move(bytes), delay, piece};
}
Action Pause(std::chrono::milliseconds delay) { return {Action::Kind::kPause, {}, delay}; }
Action CloseConnection() { return {Action::Kind::kClose}; }
Action Silent() { return {Action::Kind::kSilent}; }
Action Repeat() { return {Action::Kind::kRepeat}; }
// clang-format on

LoopbackServer::LoopbackServer(std::vector<Script> scripts) : m_scripts(std::move(scripts)) {
    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listen < 0 ||
        bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listen, 16) != 0 ||
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("loopback server: cannot listen");
    }
    m_port = ntohs(address.sin_port);
    m_stop = eventfd(0, EFD_CLOEXEC);
    m_thread = std::thread([this] { Run(); });
}

LoopbackServer::~LoopbackServer() {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(m_stop, &one, sizeof one);
    m_thread.join();
    close(m_listen);
    close(m_stop);
}

int LoopbackServer::Connections() {
    std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<int>(m_received.size());
}

std::vector<std::string> LoopbackServer::Received(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> guard(m_lock);
    m_changed.wait_for(guard, limit, [this] { return m_active == 0; });
    return m_received;
}

bool LoopbackServer::ReceiveSome(int fd, size_t connection, std::string& pending) {
    char buffer[8192];
    ssize_t n = WaitReadable(fd, 10000) ? recv(fd, buffer, sizeof buffer, 0) : 0;
    if (n <= 0) {
        return false;
    }
    pending.append(buffer, static_cast<size_t>(n));
    std::lock_guard<std::mutex> guard(m_lock);
    m_received[connection].append(buffer, static_cast<size_t>(n));
    return true;
}

bool LoopbackServer::WaitReadable(int fd, int ms) {
    pollfd fds[2] = {{m_stop, POLLIN, 0}, {fd, POLLIN, 0}};
    int n = poll(fds, fd < 0 ? 1 : 2, ms);
    return n >= 0 && (fds[0].revents & POLLIN) == 0;
}

void LoopbackServer::Run() {
    while (WaitReadable(m_listen, -1)) {
        int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        size_t index;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            index = m_received.size();
            m_received.emplace_back();
            ++m_active;
        }
        Serve(fd, m_scripts[std::min(index, m_scripts.size() - 1)], index);
        {
            std::lock_guard<std::mutex> guard(m_lock);
            --m_active;
        }
        m_changed.notify_all();
    }
}

void LoopbackServer::Serve(int fd, const Script& script, size_t connection) {
    std::string pending;
    bool open = true;
    for (size_t i = 0; open && i < script.size(); ++i) {
        const Action& a = script[i];
        switch (a.kind) {
            case Action::Kind::kReadRequest:
            case Action::Kind::kReadLine: {
                const std::string end = a.kind == Action::Kind::kReadLine ? "\n" : "\r\n\r\n";
                while (open && pending.find(end) == std::string::npos) {
                    open = ReceiveSome(fd, connection, pending);
                }
                pending.erase(0, open ? pending.find(end) + end.size() : pending.size());
                break;
            }
            case Action::Kind::kSend: {
                size_t piece = a.piece == 0 ? a.bytes.size() : a.piece;
                for (size_t at = 0; open && at < a.bytes.size(); at += piece) {
                    size_t n = std::min(piece, a.bytes.size() - at);
                    open =
                        send(fd, a.bytes.data() + at, n, MSG_NOSIGNAL) == static_cast<ssize_t>(n) &&
                        (a.delay.count() == 0 ||
                         WaitReadable(-1, static_cast<int>(a.delay.count())));
                }
                break;
            }
            case Action::Kind::kPause:
                open = WaitReadable(-1, static_cast<int>(a.delay.count()));
                break;
            case Action::Kind::kClose:
                close(fd);
                return;
            case Action::Kind::kSilent:
                break;
            case Action::Kind::kRepeat:
                i = static_cast<size_t>(-1);
                break;
        }
    }
    // Keep what else the client sends until it goes away (or the test ends).
    while (open && ReceiveSome(fd, connection, pending)) {
    }
    close(fd);
}

}  // namespace vantrel::testing
