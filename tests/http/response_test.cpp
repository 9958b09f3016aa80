// The response reader over bytes from memory: header blocks in any split,
// header-line rules, and the three body forms.
#include "http/response.h"
#include "http/transport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace vantrel::http {
namespace {

// Gives the pieces of `bytes` between "|" marks, one receive each (cut to
// the room offered), then reports the close.
class MemoryTransport final : public ITransport {
public:
    explicit MemoryTransport(const std::string& bytes) {
        for (size_t at = 0, bar; at <= bytes.size(); at = bar + 1) {
            bar = std::min(bytes.find('|', at), bytes.size());
            m_pieces.push_back(bytes.substr(at, bar - at));
        }
    }
    bool Receive(char* buffer, int room, int* count) override {
        *count = 0;
        if (m_pieces.empty()) {
            return true;
        }
        std::string& piece = m_pieces.front();
        size_t n = std::min(piece.size(), static_cast<size_t>(room));
        std::memcpy(buffer, piece.data(), n);
        piece.erase(0, n);
        if (piece.empty()) {
            m_pieces.erase(m_pieces.begin());
        }
        *count = static_cast<int>(n);
        return true;
    }
    void Close() override { m_closed = true; }
    bool Closed() const { return m_closed; }

private:
    std::vector<std::string> m_pieces;
    bool m_closed = false;
};

ReadResult ReadAll(const std::string& bytes, Response& response, std::string_view method = "GET",
                   uint32_t max_body = 0) {
    MemoryTransport transport(bytes);
    ReadSettings settings;
    settings.method = method;
    settings.max_body = max_body;
    return ReadResponse(transport, settings, response);
}

std::string Body(const Response& r) {
    return std::string(r.Body(), r.body_length);
}

const std::string kChunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

TEST(HttpResponseReader, FindsHeaderBlockAcrossAnySplit) {
    const std::string whole =
        "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nbody";
    for (size_t split = 1; split < whole.size(); ++split) {
        SCOPED_TRACE(split);
        Response r;
        ASSERT_EQ(ReadAll(whole.substr(0, split) + "|" + whole.substr(split), r), ReadResult::kOk);
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(Body(r), "body");
    }
}

TEST(HttpResponseReader, ParsesHeaderLines) {
    const struct {
        std::string block;
        ReadResult result;
        const char* header;  // null: nothing to look up
        const char* value;   // null: absent
    } cases[] = {
        {"HTTP/1.0 200 OK\r\nX-A: 1\r\nx-a: 2\r\n\r\n", ReadResult::kOk, "X-a", "1,2"},
        {"HTTP/1.0 200 OK\r\nName:   v w\r\n\r\n", ReadResult::kOk, "name", "v w"},
        // HEAD: the length announced is not waited for.
        {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n", ReadResult::kOk, "Content-Length", "10"},
        {"HTTP/1.0 200 OK\r\nLong: a\r\n b\r\nNext: c\r\n\r\n", ReadResult::kOk, "Long", "a\r\n b"},
        {"HTTP/1.0 200 OK\r\nnothing here\r\nA: b\r\n\r\n", ReadResult::kOk, "A", "b"},
        {"HTTP/1.0 200 OK\r\n" + std::string(1023, 'n') + ": v\r\n\r\n", ReadResult::kOk, nullptr,
         nullptr},
        {"HTTP/1.0 200 OK\r\n" + std::string(1024, 'n') + ": v\r\n\r\n",
         ReadResult::kBadHeaderLines, nullptr, nullptr},
        {"HTTP/1.0 200 OK\r\nV: " + std::string(1024, 'v') + "\r\n\r\n",
         ReadResult::kBadHeaderLines, nullptr, nullptr},
        // No version token is needed before the status.
        {"X 204\r\n\r\n", ReadResult::kOk, "X", nullptr},
        {"HTTP/1.0 OK\r\n\r\n", ReadResult::kBadStatusLine, nullptr, nullptr},
        {"HTTP/1.0 99999999999999999999\r\n\r\n", ReadResult::kBadStatusLine, nullptr, nullptr},
        {"HTTP/1.0 200 OK\r\nA: b\r\n", ReadResult::kConnectionFailed, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block.substr(0, 40));
        Response r;
        EXPECT_EQ(ReadAll(c.block, r, "HEAD"), c.result);
        if (c.header != nullptr) {
            const std::string* value = r.Header(c.header);
            EXPECT_EQ(value ? *value : "(absent)", c.value ? c.value : "(absent)");
        }
    }
}

TEST(HttpResponseReader, ListsChallengesAndClosesWhenTold) {
    MemoryTransport transport(
        "HTTP/1.0 401 No\r\nWWW-Authenticate: Basic realm=\"a\"\r\nSet-Cookie: a=1\r\n"
        "Proxy-Authenticate: NTLM\r\nset-cookie: b=2\r\nConnection: close\r\n\r\n");
    ReadSettings settings;
    settings.method = "HEAD";
    Response r;
    ASSERT_EQ(ReadResponse(transport, settings, r), ReadResult::kOk);
    EXPECT_EQ(r.challenges, (std::vector<std::string>{"Basic realm=\"a\"", "NTLM"}));
    EXPECT_EQ(*r.Header("Set-Cookie"), "a=1,b=2");
    EXPECT_TRUE(transport.Closed());
}

TEST(HttpResponseReader, ReadsEachBodyForm) {
    const struct {
        std::string bytes;  // "|" between receives
        ReadResult result;
        std::string body;
        uint32_t max_body = 0;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\n|abc", ReadResult::kOk, "abc"},
        // More than the length is kept.
        {"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\n|abcd", ReadResult::kOk, "abcd"},
        {"HTTP/1.0 200 OK\r\n\r\nab|cd", ReadResult::kOk, "abcd"},
        {"HTTP/1.0 200 OK\r\nContent-Length: -1\r\n\r\nab|cd", ReadResult::kOk, "abcd"},
        {kChunked + "|a|\r|\n0123456789|\r\n|0|\r\n", ReadResult::kOk, "0123456789"},
        {kChunked + "1F40\r\n" + std::string(8000, 'z') + "\r\n0\r\n\r\n", ReadResult::kOk,
         std::string(8000, 'z')},
        {kChunked + "5;x=y\r\nHello\r\n0\r\n\r\n", ReadResult::kChunkedBodyFailed, ""},
        {kChunked + "5 \r\nHello\r\n0\r\n\r\n", ReadResult::kChunkedBodyFailed, ""},
        {kChunked + "5\r\nHelloXX3\r\nABC\r\n0\r\n\r\n", ReadResult::kChunkedBodyFailed, ""},
        {kChunked + "FFFFFFFFFFFFFFFFFFFF\r\n", ReadResult::kChunkedBodyFailed, ""},
        {kChunked + "5\r\nHel", ReadResult::kChunkedBodyFailed, ""},
        // Limited to 10 bytes: the sum of the chunks counts, and a size or
        // length past the limit fails at once.
        {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n0123456789", ReadResult::kOk, "0123456789",
         10},
        {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n0123456789X", ReadResult::kBodyFailed, "",
         10},
        {"HTTP/1.0 200 OK\r\nContent-Length: 2000000000\r\n\r\n", ReadResult::kBodyFailed, "", 10},
        {"HTTP/1.0 200 OK\r\n\r\n|0123456789|X", ReadResult::kBodyFailed, "", 10},
        {kChunked + "5\r\nHello\r\n5\r\nWorld\r\n0\r\n\r\n", ReadResult::kOk, "HelloWorld", 10},
        {kChunked + "5\r\nHello\r\n6\r\nWorld!\r\n0\r\n\r\n", ReadResult::kChunkedBodyFailed, "",
         10},
        {kChunked + "3FFFFFFF\r\n", ReadResult::kChunkedBodyFailed, "", 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 60));
        Response r;
        ASSERT_EQ(ReadAll(c.bytes, r, "GET", c.max_body), c.result);
        if (c.result == ReadResult::kOk) {
            EXPECT_EQ(Body(r), c.body);
            EXPECT_EQ(r.status, 200);
        }
    }
}

// Trailer fields are merged only when the header block announced them.
TEST(HttpResponseReader, ChunkedTrailersOnlyWithTrailerHeader) {
    for (const std::string announced : {"Trailer: X-Sum\r\n", ""}) {
        Response r;
        ASSERT_EQ(ReadAll("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n" + announced +
                              "\r\n2\r\nok\r\n0\r\nX-Sum: 7\r\n\r\n",
                          r),
                  ReadResult::kOk);
        EXPECT_EQ(Body(r), "ok");
        EXPECT_EQ(r.Header("X-Sum") ? *r.Header("X-Sum") : "", announced.empty() ? "" : "7");
    }
}

TEST(HttpResponseReader, HeaderBlocksStayWithinTheirLimit) {
    std::string continues;
    while (continues.size() <= kMaxHeaderBlock) {
        continues += "HTTP/1.1 100 Continue\r\n\r\n";
    }
    for (const std::string& endless : {"HTTP/1.0 200 OK\r\n" + std::string(1 << 20, 'h'),
                                       continues + "HTTP/1.0 200 OK\r\n\r\n"}) {
        Response r;
        EXPECT_EQ(ReadAll(endless, r), ReadResult::kBadHeaderLines);
        EXPECT_EQ(r.status, -1);
        EXPECT_LE(r.buffer.Size(), kMaxHeaderBlock + 2048);
    }
}

}  // namespace
}  // namespace vantrel::http
