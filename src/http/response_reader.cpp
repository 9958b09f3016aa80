// Reading one response: header blocks (skipping 100 Continue), header
// lines, then the body by length, to the close, or chunked.
#include "http/response.h"

#include "text/error.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace vantrel::http {

namespace {

constexpr int kHeaderReceive = 2048;
constexpr int kMaxZeroReceives = 5;
// Names and values must be shorter than this.
constexpr size_t kMaxHeaderText = 1024;
constexpr int kChunkWorkRoom = 2048;

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

const char* FindCrLf(const char* from, const char* end) {
    if (end - from < 2) {
        return nullptr;
    }
    return static_cast<const char*>(memmem(from, static_cast<size_t>(end - from), "\r\n", 2));
}

// One header line (continuations included, CR LF excluded). False when the
// name or the value is too long.
bool StoreHeaderLine(std::string_view line, const ReadSettings& settings, Response& response) {
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return true;
    }
    std::string_view name = line.substr(0, colon);
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && IsSpace(value.front())) {
        value.remove_prefix(1);
    }
    if (name.size() >= kMaxHeaderText || value.size() >= kMaxHeaderText) {
        return false;
    }
    std::string key(name);
    if (strcasecmp(key.c_str(), "www-authenticate") == 0 ||
        strcasecmp(key.c_str(), "proxy-authenticate") == 0) {
        response.challenges.emplace_back(value);
    }
    auto [slot, inserted] = response.headers.try_emplace(key, value);
    if (!inserted) {
        slot->second += ',';
        slot->second += value;
    }
    if (strcasecmp(key.c_str(), "set-cookie") == 0 && settings.cookie_hook != nullptr) {
        settings.cookie_hook(settings.cookie_context, value);
    }
    return true;
}

// The bytes of a chunked body not parsed yet, NUL-terminated for strtoul.
// Held inline unless the bytes that came with the header need more.
class ChunkWork {
public:
    explicit ChunkWork(int room) {
        if (room > kChunkWorkRoom) {
            m_heap.reset(new (std::nothrow) char[static_cast<size_t>(room) + 1]);
            if (m_heap == nullptr) {
                ThrowHResult(E_OUTOFMEMORY);
            }
            m_data = m_heap.get();
        }
        m_room = std::max(room, kChunkWorkRoom);
        m_data[0] = '\0';
    }
    ChunkWork(const ChunkWork&) = delete;
    ChunkWork& operator=(const ChunkWork&) = delete;

    const char* Begin() const { return m_data + m_begin; }
    int Available() const { return m_end - m_begin; }
    void Consume(int n) { m_begin += n; }
    void Append(const char* bytes, int n) {
        std::memcpy(m_data + m_end, bytes, static_cast<size_t>(n));
        m_end += n;
        m_data[m_end] = '\0';
    }
    // Keeps the unparsed bytes at the front and receives into the rest.
    bool Fill(ITransport& transport) {
        if (m_begin > 0) {
            std::memmove(m_data, Begin(), static_cast<size_t>(Available()));
            m_end -= m_begin;
            m_begin = 0;
        }
        int n = 0;
        if (m_end == m_room || !transport.Receive(m_data + m_end, m_room - m_end, &n) || n == 0) {
            return false;
        }
        m_end += n;
        m_data[m_end] = '\0';
        return true;
    }

private:
    std::array<char, kChunkWorkRoom + 1> m_inline;
    std::unique_ptr<char[]> m_heap;
    char* m_data = m_inline.data();
    int m_room = 0;
    int m_begin = 0;
    int m_end = 0;
};

class Reader {
public:
    Reader(ITransport& transport, const ReadSettings& settings, Response& response)
        : m_transport(transport), m_settings(settings), m_response(response) {}

    ReadResult Read();

private:
    ReadResult FindHeaderBlock();
    bool ParseStatusLine();
    bool ParseHeaderLines();
    bool ReadBodyByLength();
    bool ReadChunkedBody();
    bool ReadChunks(ChunkWork& work, ResponseBuffer& out, int* total);
    bool CopyChunk(ChunkWork& work, ResponseBuffer& out, int size);
    // Bytes asked of one receive into the body.
    int ReadBlock() const {
        return m_settings.read_block_size == 0
                   ? 2048
                   : static_cast<int>(std::min<uint32_t>(m_settings.read_block_size, INT_MAX / 4));
    }
    // The body may grow to this (the decoded body for chunked).
    long MaxBody() const {
        return m_settings.max_body == 0 ? INT_MAX : static_cast<long>(m_settings.max_body);
    }
    bool Need(ChunkWork& work, int n) {
        while (work.Available() < n) {
            if (!work.Fill(m_transport)) {
                return false;
            }
        }
        return true;
    }
    bool ExpectCrLf(ChunkWork& work) {
        if (!Need(work, 2) || std::memcmp(work.Begin(), "\r\n", 2) != 0) {
            return false;
        }
        work.Consume(2);
        return true;
    }
    bool ReadTrailers(ChunkWork& work);

    ITransport& m_transport;
    const ReadSettings& m_settings;
    Response& m_response;
};

ReadResult Reader::Read() {
    Response& r = m_response;
    r.buffer.Clear();
    r.scan = 0;
    do {
        r.headers.clear();
        r.challenges.clear();
        r.status = -1;
        r.header_length = 0;
        r.body_length = 0;
        if (ReadResult found = FindHeaderBlock(); found != ReadResult::kOk) {
            return found;
        }
        if (!ParseStatusLine()) {
            return ReadResult::kBadStatusLine;
        }
    } while (r.status == 100);
    if (!ParseHeaderLines()) {
        return ReadResult::kBadHeaderLines;
    }
    ReadResult result = ReadResult::kOk;
    if (m_settings.method != "HEAD") {
        const std::string* encoding = r.Header("Transfer-Encoding");
        if (encoding != nullptr && *encoding == "chunked") {
            result = ReadChunkedBody() ? ReadResult::kOk : ReadResult::kChunkedBodyFailed;
        } else {
            result = ReadBodyByLength() ? ReadResult::kOk : ReadResult::kBodyFailed;
        }
    }
    const std::string* connection = r.Header("Connection");
    if (connection != nullptr && strcasecmp(connection->c_str(), "close") == 0) {
        m_transport.Close();
    }
    return result;
}

ReadResult Reader::FindHeaderBlock() {
    Response& r = m_response;
    int searched = r.scan;
    int zeros = 0;
    for (;;) {
        const char* data = r.buffer.Data();
        const void* found = memmem(data + searched, static_cast<size_t>(r.buffer.Size() - searched),
                                   "\r\n\r\n", 4);
        if (found != nullptr) {
            int end = static_cast<int>(static_cast<const char*>(found) - data) + 4;
            if (end > kMaxHeaderBlock) {
                return ReadResult::kBadHeaderLines;
            }
            r.header_start = r.scan;
            r.header_length = end - r.scan;
            r.scan = end;
            return ReadResult::kOk;
        }
        if (r.buffer.Size() >= kMaxHeaderBlock) {
            return ReadResult::kBadHeaderLines;
        }
        // The terminator may straddle what is here and what comes next.
        searched = std::max(r.scan, r.buffer.Size() - 3);
        int room = 0;
        int n = 0;
        char* tail = r.buffer.ReserveUpTo(kHeaderReceive, &room);
        if (!m_transport.Receive(tail, room, &n)) {
            return ReadResult::kConnectionFailed;
        }
        if (n == 0) {
            if (++zeros == kMaxZeroReceives) {
                return ReadResult::kConnectionFailed;
            }
            continue;
        }
        zeros = 0;
        r.buffer.Commit(n);
    }
}

bool Reader::ParseStatusLine() {
    Response& r = m_response;
    const char* p = r.buffer.Data() + r.header_start;
    const char* end = r.buffer.Data() + r.buffer.Size();
    while (p < end && !IsSpace(*p)) {
        ++p;
    }
    while (p < end && IsSpace(*p)) {
        ++p;
    }
    if (p == end || std::isdigit(static_cast<unsigned char>(*p)) == 0) {
        return false;
    }
    char* after = nullptr;
    errno = 0;
    long status = std::strtol(p, &after, 10);
    if (errno == ERANGE || status > INT_MAX ||
        std::memchr(after, '\n', static_cast<size_t>(end - after)) == nullptr) {
        return false;
    }
    r.status = static_cast<int>(status);
    return true;
}

bool Reader::ParseHeaderLines() {
    Response& r = m_response;
    const char* block = r.buffer.Data() + r.header_start;
    const char* block_end = block + r.header_length;
    const char* p = static_cast<const char*>(std::memchr(block, '\n', r.header_length));
    p = p == nullptr ? block_end : p + 1;
    while (p < block_end) {
        const char* line_end = FindCrLf(p, block_end);
        if (line_end == nullptr || line_end == p) {
            break;
        }
        // A line that starts with white space continues the one before.
        while (line_end + 2 < block_end - 2 && (line_end[2] == ' ' || line_end[2] == '\t')) {
            line_end = FindCrLf(line_end + 2, block_end);
        }
        if (!StoreHeaderLine(std::string_view(p, static_cast<size_t>(line_end - p)), m_settings,
                             r)) {
            return false;
        }
        p = line_end + 2;
    }
    return true;
}

bool Reader::ReadBodyByLength() {
    Response& r = m_response;
    const std::string* length_text = r.Header("Content-Length");
    const long wanted = length_text != nullptr ? std::strtol(length_text->c_str(), nullptr, 10) : -1;
    const int block = ReadBlock();
    const int body_start = r.header_start + r.header_length;
    // -1, absent or sent, means no length: the body runs to the close.
    const bool to_close = wanted == -1;
    bool ok = to_close || wanted <= MaxBody();
    while (ok && (to_close || r.buffer.Size() - body_start < wanted)) {
        int room = 0;
        int n = 0;
        char* tail = r.buffer.ReserveUpTo(block, &room);
        bool received = m_transport.Receive(tail, room, &n);
        r.buffer.Commit(received ? n : 0);
        if (m_settings.read_callback != nullptr &&
            !m_settings.read_callback(static_cast<uint32_t>(n), m_settings.read_parameter)) {
            ok = false;
            break;
        }
        if (!received || n == 0) {
            // Without a length the close ends the body; with one it came too early.
            ok = to_close;
            break;
        }
        ok = r.buffer.Size() - body_start <= MaxBody();
    }
    r.body_length = r.buffer.Size() - body_start;
    return ok && r.body_length <= MaxBody();
}

bool Reader::ReadChunkedBody() {
    Response& r = m_response;
    ResponseBuffer out;
    out.Append(r.buffer.Data() + r.header_start, r.header_length);
    int leftover = r.buffer.Size() - r.scan;
    ChunkWork work(std::max(kChunkWorkRoom, leftover));
    work.Append(r.buffer.Data() + r.scan, leftover);
    r.buffer.Clear();
    r.body_length = 0;
    int total = 0;
    bool ok = ReadChunks(work, out, &total);
    r.buffer.TakeFrom(out);
    r.scan = r.header_length;
    r.header_start = 0;
    r.body_length = total;
    return ok;
}

bool Reader::ReadChunks(ChunkWork& work, ResponseBuffer& out, int* total) {
    for (;;) {
        unsigned long size = 0;
        for (;;) {
            char* after = nullptr;
            errno = 0;
            size = std::strtoul(work.Begin(), &after, 16);
            // The sum of the sizes is the body: it must stay within the limit.
            if (errno == ERANGE || size > static_cast<unsigned long>(MaxBody() - *total)) {
                return false;
            }
            // Strict: the number must be followed by CR, no extension or space.
            if (after != work.Begin() && *after == '\r') {
                work.Consume(static_cast<int>(after - work.Begin()));
                break;
            }
            if (!work.Fill(m_transport)) {
                return false;
            }
        }
        if (!ExpectCrLf(work)) {
            return false;
        }
        if (size == 0) {
            return m_response.Header("Trailer") == nullptr || ReadTrailers(work);
        }
        if (!CopyChunk(work, out, static_cast<int>(size))) {
            return false;
        }
        *total += static_cast<int>(size);
        if (!ExpectCrLf(work)) {
            return false;
        }
    }
}

// Moves the chunk's bytes to the body as they come, so memory follows what
// the server sent rather than the size it announced. What the work buffer
// holds goes first; the rest is received straight into the body.
bool Reader::CopyChunk(ChunkWork& work, ResponseBuffer& out, int size) {
    const int held = std::min(size, work.Available());
    out.Append(work.Begin(), held);
    work.Consume(held);
    size -= held;
    while (size > 0) {
        int room = 0;
        int n = 0;
        char* tail = out.ReserveUpTo(std::min(size, ReadBlock()), &room);
        const bool received = m_transport.Receive(tail, room, &n);
        out.Commit(received ? n : 0);
        if (!received || n == 0) {
            return false;
        }
        size -= n;
    }
    return true;
}

bool Reader::ReadTrailers(ChunkWork& work) {
    for (;;) {
        const char* line_end = FindCrLf(work.Begin(), work.Begin() + work.Available());
        if (line_end == nullptr) {
            if (!work.Fill(m_transport)) {
                return false;
            }
            continue;
        }
        int length = static_cast<int>(line_end - work.Begin());
        if (length == 0) {
            work.Consume(2);
            return true;
        }
        if (!StoreHeaderLine(std::string_view(work.Begin(), static_cast<size_t>(length)),
                             m_settings, m_response)) {
            return false;
        }
        work.Consume(length + 2);
    }
}

}  // namespace

ReadResult ReadResponse(ITransport& transport, const ReadSettings& settings, Response& response) {
    return Reader(transport, settings, response).Read();
}

}  // namespace vantrel::http
