// The response reader over arbitrary bytes, delivered in pieces whose
// sizes come from the input's first byte.
#include "http/response.h"
#include "text/error.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

class FuzzTransport final : public vantrel::http::ITransport {
public:
    FuzzTransport(const uint8_t* data, size_t size, size_t piece)
        : m_data(data), m_size(size), m_piece(piece) {}
    bool Receive(char* buffer, int room, int* count) override {
        size_t n = std::min({m_piece, m_size - m_at, static_cast<size_t>(room)});
        std::memcpy(buffer, m_data + m_at, n);
        m_at += n;
        *count = static_cast<int>(n);
        return true;
    }
    void Close() override {}

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_piece;
    size_t m_at = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantrel::http;
    if (size == 0) {
        return 0;
    }
    const size_t piece = static_cast<size_t>(data[0] % 64) + 1;
    FuzzTransport transport(data + 1, size - 1, piece);
    ReadSettings settings;
    settings.method = (data[0] & 0x80) != 0 ? "HEAD" : "GET";
    settings.read_block_size = 0;
    Response response;
    try {
        ReadResult result = ReadResponse(transport, settings, response);
        const int end = response.header_start + response.header_length + response.body_length;
        if (result == ReadResult::kOk && (end > response.buffer.Size() || response.status < 0)) {
            std::abort();
        }
    } catch (const vantrel::HResultError&) {
        // Out of memory for a huge chunk is a refusal, not a fault.
    }
    return 0;
}
