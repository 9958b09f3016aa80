// A loopback relay in front of a real server, for the tests: it forwards
// UDP datagrams and TCP streams to 127.0.0.1:upstream, and may change a
// UDP reply on its way back. One exchange at a time, every wait bounded.
#pragma once

#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace vt_test {

class Relay {
public:
    using Bytes = std::vector<uint8_t>;
    using Tamper = std::function<void(Bytes& reply)>;

    explicit Relay(uint16_t upstream, Tamper tamper = {});
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;
    ~Relay();

    // The relay's port on 127.0.0.1, UDP and TCP alike; 0 if it could not bind.
    uint16_t Port() const { return m_port; }

private:
    void Run();
    void RelayDatagram();
    void RelayStream();

    uint16_t m_upstream;
    Tamper m_tamper;
    uint16_t m_port = 0;
    int m_udp = -1;
    int m_listener = -1;
    int m_stop[2] = {-1, -1};
    std::thread m_thread;
};

}  // namespace vt_test
