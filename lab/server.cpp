#include "lab/server.h"

#include "lab/gnudip.h"
#include "lab/reply.h"
#include "lab/request.h"
#include "lab/services.h"

#include <chrono>
#include <string>

namespace vantrel::lab {

ReadResult ReadUntil(VTCONNECTION connection, std::string& data, size_t& end,
                     EndFinder find_end) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestTimeoutMs);
    char block[2048];
    for (;;) {
        if (std::optional<size_t> found = find_end(data)) {
            end = *found;
            return ReadResult::kComplete;
        }
        if (data.size() >= kMaxHeadBytes) {
            return ReadResult::kTooLarge;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        DWORD received = 0;
        VtTcpResult result =
            VtTcpRead(connection, block, sizeof block,
                      left.count() > 0 ? static_cast<DWORD>(left.count()) : 0, &received);
        if (result == VT_TCP_TIMEOUT) {
            return ReadResult::kTimedOut;
        }
        if (result != VT_TCP_OK) {
            return ReadResult::kClosed;
        }
        data.append(block, received);
    }
}

std::optional<size_t> FindLineEnd(std::string_view data) {
    size_t feed = data.find('\n');
    return feed == std::string_view::npos ? std::nullopt : std::optional<size_t>(feed + 1);
}

std::string LoggedLine(std::string_view data) {
    std::string line(data.substr(0, std::min(data.find_first_of("\r\n"), size_t{1024})));
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return line;
}

namespace {

Reply Answer(ReadResult head, std::string_view data, std::string_view peer, LabState& state) {
    if (head == ReadResult::kTimedOut) {
        return TextReply(408, "the request head did not arrive in time\n");
    }
    if (head == ReadResult::kTooLarge) {
        return TextReply(431, "the request head is too large\n");
    }
    ParsedRequest parsed = ParseRequest(data);
    if (!parsed.request) {
        return TextReply(400, "malformed request\n");
    }
    return Dispatch(*parsed.request, peer, state);
}

}  // namespace

VtTcpResult LabServer::Create(const char* address, WORD port, WORD gnudip_port,
                              std::unique_ptr<LabServer>* server) {
    server->reset();
    VTLISTENER http = nullptr;
    VtTcpResult result = VtTcpListen(address, port, &http);
    if (result != VT_TCP_OK) {
        return result;
    }
    ListenerHandle http_handle(http);
    VTLISTENER gnudip = nullptr;
    result = VtTcpListen(address, gnudip_port, &gnudip);
    if (result != VT_TCP_OK) {
        return result;
    }
    server->reset(new LabServer(std::move(http_handle), ListenerHandle(gnudip)));
    return VT_TCP_OK;
}

void LabServer::Serve(LabState& state, std::FILE* log) {
    const VTLISTENER listeners[] = {m_http.get(), m_gnudip.get()};
    for (;;) {
        VTCONNECTION accepted = nullptr;
        DWORD index = 0;
        // The long wait only bounds each call; the stop event ends it early.
        VtTcpResult result = VtTcpAcceptAny(listeners, 2, 60000, &accepted, &index);
        if (result == VT_TCP_TIMEOUT) {
            continue;
        }
        if (result != VT_TCP_OK) {
            return;
        }
        ConnectionHandle connection(accepted);
        if (index == 0) {
            ServeConnection(connection.get(), state, log);
        } else {
            ServeGnuDipConnection(connection.get(), state, log);
        }
    }
}

void ServeConnection(VTCONNECTION connection, LabState& state, std::FILE* log) {
    char peer[64] = "?";
    VtTcpPeerAddress(connection, peer, sizeof peer);
    std::string data;
    size_t head_end = 0;
    ReadResult head = ReadUntil(connection, data, head_end, FindHeadEnd);
    if (head == ReadResult::kClosed) {
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
