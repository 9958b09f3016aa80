// Feeds the response reader from memory, in given pieces, then reports
// the close (or a failure).
#pragma once

#include "http/transport.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace vantrel::testing {

class MemoryTransport final : public http::ITransport {
public:
    enum class End { kClose, kFailure };

    explicit MemoryTransport(std::vector<std::string> pieces, End end = End::kClose)
        : m_pieces(std::move(pieces)), m_end(end) {}

    bool Receive(char* buffer, int room, int* count) override {
        *count = 0;
        if (m_index == m_pieces.size()) {
            return m_end == End::kClose;
        }
        const std::string& piece = m_pieces[m_index];
        size_t n = std::min(piece.size() - m_offset, static_cast<size_t>(room));
        std::memcpy(buffer, piece.data() + m_offset, n);
        m_offset += n;
        if (m_offset == piece.size()) {
            ++m_index;
            m_offset = 0;
        }
        *count = static_cast<int>(n);
        return true;
    }
    void Close() override { m_closed = true; }
    bool Closed() const { return m_closed; }

private:
    std::vector<std::string> m_pieces;
    End m_end;
    size_t m_index = 0;
    size_t m_offset = 0;
    bool m_closed = false;
};

}  // namespace vantrel::testing
