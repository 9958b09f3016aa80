#include "relay.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vt_test {
namespace {

constexpr int kWaitMs = 3000;

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, kWaitMs) == 1;
}

}  // namespace

Relay::Relay(uint16_t upstream, Tamper tamper) : m_upstream(upstream), m_tamper(std::move(tamper)) {
    // The same port for both: take a free TCP port, then bind UDP to it.
    for (int attempt = 0; attempt < 10 && m_port == 0; ++attempt) {
        m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = Loopback(0);
        socklen_t length = sizeof address;
        if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(m_listener, 4) != 0 ||
            getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            close(m_listener);
            continue;
        }
        m_udp = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (bind(m_udp, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(m_udp);
            close(m_listener);
            continue;
        }
        m_port = ntohs(address.sin_port);
    }
    if (m_port == 0 || pipe2(m_stop, O_CLOEXEC) != 0) {
        m_port = 0;
        return;
    }
    m_thread = std::thread([this] { Run(); });
}

Relay::~Relay() {
    if (m_thread.joinable()) {
        const char byte = 0;
        (void)!write(m_stop[1], &byte, 1);
        m_thread.join();
    }
    for (int fd : {m_udp, m_listener, m_stop[0], m_stop[1]}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

void Relay::Run() {
    for (;;) {
        pollfd fds[3] = {{m_stop[0], POLLIN, 0}, {m_udp, POLLIN, 0}, {m_listener, POLLIN, 0}};
        if (poll(fds, 3, -1) < 0 || fds[0].revents != 0) {
            return;
        }
        if (fds[1].revents & POLLIN) {
            RelayDatagram();
        }
        if (fds[2].revents & POLLIN) {
            RelayStream();
        }
    }
}

void Relay::RelayDatagram() {
    uint8_t buffer[65536];
    sockaddr_in client{};
    socklen_t length = sizeof client;
    const ssize_t got =
        recvfrom(m_udp, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&client), &length);
    if (got <= 0) {
        return;
    }
    const int upstream = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const sockaddr_in server = Loopback(m_upstream);
    if (sendto(upstream, buffer, static_cast<size_t>(got), 0,
               reinterpret_cast<const sockaddr*>(&server), sizeof server) == got &&
        Readable(upstream)) {
        const ssize_t answer = recv(upstream, buffer, sizeof buffer, 0);
        if (answer > 0) {
            Bytes reply(buffer, buffer + answer);
            if (m_tamper) {
                m_tamper(reply);
            }
            sendto(m_udp, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&client),
                   length);
        }
    }
    close(upstream);
}

void Relay::RelayStream() {
    const int client = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) {
        return;
    }
    const int upstream = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in server = Loopback(m_upstream);
    if (connect(upstream, reinterpret_cast<const sockaddr*>(&server), sizeof server) == 0) {
        // Copies both ways until either side closes or both fall silent.
        uint8_t buffer[65536];
        for (;;) {
            pollfd fds[2] = {{client, POLLIN, 0}, {upstream, POLLIN, 0}};
            if (poll(fds, 2, kWaitMs) <= 0) {
                break;
            }
            const int from = (fds[0].revents != 0) ? client : upstream;
            const int to = from == client ? upstream : client;
            const ssize_t got = read(from, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            if (write(to, buffer, static_cast<size_t>(got)) != got) {
                break;
            }
        }
    }
    close(upstream);
    close(client);
}

}  // namespace vt_test
