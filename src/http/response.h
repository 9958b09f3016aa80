// A response as it is read: the raw bytes, the header map, the challenge
// list and the offsets that locate the header block and the body.
#pragma once

#include "http/transport.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantrel::http {

// Raw response bytes with a NUL always kept after them. The first 4096
// bytes need no allocation; beyond that the room at least doubles, so a
// large body costs linear time.
class ResponseBuffer {
public:
    static constexpr int kInlineRoom = 4096;
    static constexpr int kMinGrowth = 4096;

    ResponseBuffer() { m_inline[0] = '\0'; }
    ResponseBuffer(const ResponseBuffer&) = delete;
    ResponseBuffer& operator=(const ResponseBuffer&) = delete;
    // Takes the other's bytes (its heap block when it has one); the other is left empty.
    void TakeFrom(ResponseBuffer& other);

    const char* Data() const { return m_data; }
    int Size() const { return m_size; }
    int Room() const { return m_room; }
    void Clear();
    // Room for n more bytes (and the NUL) at Tail(); throws on overflow or no memory.
    char* Reserve(int n);
    // Room for up to n more bytes at Tail(), *granted of them: what is left
    // of the inline room first, so a response that fits in it never
    // allocates; once that is full, n bytes by Reserve.
    char* ReserveUpTo(int n, int* granted);
    char* Tail() { return m_data + m_size; }
    // Counts n bytes written at Tail().
    void Commit(int n);
    void Append(const char* bytes, int n);

private:
    struct FreeBlock {
        void operator()(char* block) const;
    };

    std::array<char, kInlineRoom> m_inline;
    // From malloc, so growing a large block can move pages instead of bytes.
    std::unique_ptr<char, FreeBlock> m_heap;
    char* m_data = m_inline.data();
    int m_size = 0;
    int m_room = kInlineRoom;
};

struct NoCaseHash {
    size_t operator()(const std::string& s) const;
};
struct NoCaseEqual {
    bool operator()(const std::string& a, const std::string& b) const;
};
using HeaderMap = std::unordered_map<std::string, std::string, NoCaseHash, NoCaseEqual>;

enum class ReadResult : int {
    kOk = 0,
    kBadStatusLine = 2,
    kBadHeaderLines = 3,
    kConnectionFailed = 4,
    kBodyFailed = 5,
    kChunkedBodyFailed = 6,
    kNothingRead = 7,
};

struct Response {
    ResponseBuffer buffer;
    HeaderMap headers;
    std::vector<std::string> challenges;
    int status = -1;
    int body_length = 0;
    int header_length = 0;
    int header_start = 0;
    int scan = 0;

    void Reset();
    // Empties the bytes, the headers and the offsets into them; the status stays.
    void ClearContent();
    const char* Body() const { return buffer.Data() + header_start + header_length; }
    // Null when absent.
    const std::string* Header(const std::string& name) const;
};

using ReadStatusCallback = bool (*)(uint32_t count, uint32_t parameter);

struct ReadSettings {
    std::string_view method = "GET";
    uint32_t read_block_size = 4096;  // 0 means 2048
    ReadStatusCallback read_callback = nullptr;
    uint32_t read_parameter = 0;
    // Receives each "set-cookie" value.
    void (*cookie_hook)(void* context, std::string_view value) = nullptr;
    void* cookie_context = nullptr;
    uint32_t max_body = 0;  // 0: no limit
};

// Hardening: the header blocks of one response, 100 Continue ones included,
// may take this much; a server that never ends its header fails the read
// (status -1) instead of filling memory.
inline constexpr int kMaxHeaderBlock = 64 * 1024;

// Reads one response from the transport into response (HTTP/1.0 with the
// 1.1 features servers send anyway: 100 blocks, chunked bodies).
ReadResult ReadResponse(ITransport& transport, const ReadSettings& settings, Response& response);

}  // namespace vantrel::http
