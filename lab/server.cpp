#include "lab/server.h"

#include "lab/reply.h"
#include "lab/request.h"
#include "lab/services.h"

#include <chrono>
#include <string>

namespace vantrel::lab {

namespace {

enum class HeadResult { kComplete, kClosed, kTimedOut, kTooLarge };

HeadResult ReadHead(VTCONNECTION connection, std::string& data, size_t& head_end) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestTimeoutMs);
    char block[2048];
    for (;;) {
        if (std::optional<size_t> end = FindHeadEnd(data)) {
            head_end = *end;
            return HeadResult::kComplete;
        }
        if (data.size() >= kMaxHeadBytes) {
            return HeadResult::kTooLarge;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        DWORD received = 0;
        VtTcpResult result =
            VtTcpRead(connection, block, sizeof block,
                      left.count() > 0 ? static_cast<DWORD>(left.count()) : 0, &received);
        if (result == VT_TCP_TIMEOUT) {
            return HeadResult::kTimedOut;
        }
        if (result != VT_TCP_OK) {
            return HeadResult::kClosed;
        }
        data.append(block, received);
    }
}

// The request line as logged: control bytes shown as "?", length capped.
std::string LoggedLine(std::string_view data) {
    std::string line(data.substr(0, std::min(data.find_first_of("\r\n"), size_t{1024})));
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return line;
}

Reply Answer(HeadResult head, std::string_view data, std::string_view peer, LabState& state) {
    if (head == HeadResult::kTimedOut) {
        return TextReply(408, "the request head did not arrive in time\n");
    }
    if (head == HeadResult::kTooLarge) {
        return TextReply(431, "the request head is too large\n");
    }
    ParsedRequest parsed = ParseRequest(data);
    if (!parsed.request) {
        return TextReply(400, "malformed request\n");
    }
    return Dispatch(*parsed.request, peer, state);
}

}  // namespace

VtTcpResult LabServer::Create(const char* address, WORD port, std::unique_ptr<LabServer>* server) {
    server->reset();
    VTLISTENER listener = nullptr;
    VtTcpResult result = VtTcpListen(address, port, &listener);
    if (result != VT_TCP_OK) {
        return result;
    }
    server->reset(new LabServer(ListenerHandle(listener)));
    return VT_TCP_OK;
}

void LabServer::Serve(LabState& state, std::FILE* log) {
    for (;;) {
        VTCONNECTION accepted = nullptr;
        // The long wait only bounds each call; the stop event ends it early.
        VtTcpResult result = VtTcpAccept(m_listener.get(), 60000, &accepted);
        if (result == VT_TCP_TIMEOUT) {
            continue;
        }
        if (result != VT_TCP_OK) {
            return;
        }
        ConnectionHandle connection(accepted);
        ServeConnection(connection.get(), state, log);
    }
}

void ServeConnection(VTCONNECTION connection, LabState& state, std::FILE* log) {
    char peer[64] = "?";
    VtTcpPeerAddress(connection, peer, sizeof peer);
    std::string data;
    size_t head_end = 0;
    HeadResult head = ReadHead(connection, data, head_end);
    if (head == HeadResult::kClosed) {
        return;
    }
    Reply reply = Answer(head, std::string_view(data).substr(0, head_end), peer, state);
    std::string bytes = SerializeReply(reply);
    VtTcpWrite(connection, bytes.data(), static_cast<DWORD>(bytes.size()), kRequestTimeoutMs,
               nullptr);
    if (log != nullptr) {
        std::fprintf(log, "%s \"%s\" %d\n", peer, LoggedLine(data).c_str(), reply.status);
        std::fflush(log);
    }
}

}  // namespace vantrel::lab
