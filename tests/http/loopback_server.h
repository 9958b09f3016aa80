// A scriptable HTTP peer on 127.0.0.1 and a port the kernel picks. Each
// accepted connection runs the next script (the last one repeats); what
// the client sent on each connection is kept for the test to inspect.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::testing {

struct Action {
    enum class Kind {
        kReadRequest,  // read up to the end of a header block
        kReadLine,     // read up to a line feed
        kSend,         // send bytes (in pieces of `piece` bytes, `delay` apart)
        kPause,        // wait `delay`
        kClose,        // close this connection now
        kSilent,       // answer nothing until the client goes away
        kRepeat,       // start this script again
    };
    Kind kind;
    std::string bytes{};
    std::chrono::milliseconds delay{0};
    size_t piece = 0;
};

Action ReadRequest();
Action ReadLine();
Action Send(std::string bytes);
Action Trickle(std::string bytes, size_t piece, std::chrono::milliseconds delay);
Action Pause(std::chrono::milliseconds delay);
Action CloseConnection();
Action Silent();
Action Repeat();

using Script = std::vector<Action>;

class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<Script> scripts);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    uint16_t Port() const { return m_port; }
    // Waits (bounded) until the accepted connections have ended, then
    // returns what each received.
    std::vector<std::string> Received(std::chrono::milliseconds limit = std::chrono::seconds(5));
    int Connections();

private:
    void Run();
    void Serve(int fd, const Script& script, size_t connection);
    // Waits on the connection (or the stop signal) for up to ms; false on stop.
    bool WaitReadable(int fd, int ms);
    // Receives what the client sent into the record and `pending`; false
    // once the client is gone or silent for 10 s.
    bool ReceiveSome(int fd, size_t connection, std::string& pending);

    int m_listen = -1;
    int m_stop = -1;
    uint16_t m_port = 0;
    std::vector<Script> m_scripts;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::string> m_received;
    int m_active = 0;
    std::thread m_thread;
};

}  // namespace vantrel::testing
