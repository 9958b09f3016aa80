// The response reader over bytes from memory: header blocks in any split,
// header-line rules, and the three body forms.
#include "http/response.h"
#include "memory_transport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel::http {
namespace {

using testing::MemoryTransport;

ReadResult ReadAll(const std::vector<std::string>& pieces, Response& response,
                   std::string_view method = "GET",
                   MemoryTransport::End end = MemoryTransport::End::kClose) {
    MemoryTransport transport(pieces, end);
    ReadSettings settings;
    settings.method = method;
    return ReadResponse(transport, settings, response);
}

std::string Body(const Response& r) { return std::string(r.Body(), r.body_length); }

TEST(HttpResponseReader, FindsHeaderBlockAcrossAnySplit) {
    const std::string whole =
        "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nbody";
    for (size_t split = 1; split < whole.size(); ++split) {
        Response r;
        ASSERT_EQ(ReadAll({whole.substr(0, split), whole.substr(split)}, r), ReadResult::kOk)
            << split;
        EXPECT_EQ(r.status, 200) << split;
        EXPECT_EQ(Body(r), "body") << split;
    }
}

struct HeaderCase {
    const char* name;
    std::string block;
    ReadResult result;
    const char* header;
    const char* value;  // null: absent
};

class HttpHeaderLines : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(HttpHeaderLines, ParsesBlock) {
    const HeaderCase& c = GetParam();
    Response r;
    EXPECT_EQ(ReadAll({c.block}, r, "HEAD"), c.result);
    if (c.header != nullptr) {
        const std::string* value = r.Header(c.header);
        if (c.value == nullptr) {
            EXPECT_EQ(value, nullptr);
        } else {
            ASSERT_NE(value, nullptr);
            EXPECT_EQ(*value, c.value);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpHeaderLines,
    ::testing::Values(
        HeaderCase{"RepeatedJoined", "HTTP/1.0 200 OK\r\nX-A: 1\r\nx-a: 2\r\n\r\n", ReadResult::kOk,
                   "X-a", "1,2"},
        HeaderCase{"LeadingSpaceSkipped", "HTTP/1.0 200 OK\r\nName:   v w\r\n\r\n", ReadResult::kOk,
                   "name", "v w"},
        HeaderCase{"Continuation", "HTTP/1.0 200 OK\r\nLong: a\r\n b\r\nNext: c\r\n\r\n",
                   ReadResult::kOk, "Long", "a\r\n b"},
        HeaderCase{"LineWithoutColonIgnored", "HTTP/1.0 200 OK\r\nnothing here\r\nA: b\r\n\r\n",
                   ReadResult::kOk, "A", "b"},
        HeaderCase{"NameOf1023", "HTTP/1.0 200 OK\r\n" + std::string(1023, 'n') + ": v\r\n\r\n",
                   ReadResult::kOk, nullptr, nullptr},
        HeaderCase{"NameOf1024", "HTTP/1.0 200 OK\r\n" + std::string(1024, 'n') + ": v\r\n\r\n",
                   ReadResult::kBadHeaderLines, nullptr, nullptr},
        HeaderCase{"ValueOf1024", "HTTP/1.0 200 OK\r\nV: " + std::string(1024, 'v') + "\r\n\r\n",
                   ReadResult::kBadHeaderLines, nullptr, nullptr},
        HeaderCase{"NoVersionTokenNeeded", "X 204\r\n\r\n", ReadResult::kOk, "X", nullptr},
        HeaderCase{"StatusNotANumber", "HTTP/1.0 OK\r\n\r\n", ReadResult::kBadStatusLine, nullptr,
                   nullptr},
        HeaderCase{"StatusOutOfRange", "HTTP/1.0 99999999999999999999\r\n\r\n",
                   ReadResult::kBadStatusLine, nullptr, nullptr},
        HeaderCase{"IncompleteBlock", "HTTP/1.0 200 OK\r\nA: b\r\n", ReadResult::kConnectionFailed,
                   nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HttpResponseReader, ListsChallengesAndHandsCookiesToHook) {
    std::vector<std::string> cookies;
    MemoryTransport transport({"HTTP/1.0 401 No\r\nWWW-Authenticate: Basic realm=\"a\"\r\n"
                               "Set-Cookie: a=1\r\nProxy-Authenticate: NTLM\r\nset-cookie: b=2\r\n"
                               "Connection: close\r\n\r\n"});
    ReadSettings settings;
    settings.method = "HEAD";
    settings.cookie_context = &cookies;
    settings.cookie_hook = [](void* context, std::string_view value) {
        static_cast<std::vector<std::string>*>(context)->emplace_back(value);
    };
    Response r;
    ASSERT_EQ(ReadResponse(transport, settings, r), ReadResult::kOk);
    EXPECT_EQ(r.challenges, (std::vector<std::string>{"Basic realm=\"a\"", "NTLM"}));
    EXPECT_EQ(cookies, (std::vector<std::string>{"a=1", "b=2"}));
    EXPECT_EQ(*r.Header("Set-Cookie"), "a=1,b=2");
    EXPECT_TRUE(transport.Closed());
}

TEST(HttpResponseReader, GivesUpAfterFiveEmptyReceives) {
    Response r;
    EXPECT_EQ(ReadAll({"HTTP/1.0 200 OK\r\n"}, r), ReadResult::kConnectionFailed);
    EXPECT_EQ(ReadAll({"HTTP/1.0 200 OK\r\n"}, r, "GET", MemoryTransport::End::kFailure),
              ReadResult::kConnectionFailed);
}

struct BodyCase {
    const char* name;
    std::vector<std::string> pieces;
    ReadResult result;
    std::string body;
};

class HttpBody : public ::testing::TestWithParam<BodyCase> {};

TEST_P(HttpBody, ReadsBody) {
    const BodyCase& c = GetParam();
    Response r;
    ASSERT_EQ(ReadAll(c.pieces, r), c.result);
    if (c.result == ReadResult::kOk) {
        EXPECT_EQ(Body(r), c.body);
        EXPECT_EQ(r.status, 200);
    }
}

const std::string kChunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, HttpBody,
    ::testing::Values(
        BodyCase{"ByLength", {"HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\n", "abc"},
                 ReadResult::kOk, "abc"},
        BodyCase{"MoreThanLengthKept", {"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\n", "abcd"},
                 ReadResult::kOk, "abcd"},
        BodyCase{"ToTheClose", {"HTTP/1.0 200 OK\r\n\r\nab", "cd"}, ReadResult::kOk, "abcd"},
        BodyCase{"ShortByLength", {"HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\nabc"},
                 ReadResult::kBodyFailed, ""},
        BodyCase{"Chunked", {kChunked + "5\r\nHello\r\n3\r\nABC\r\n0\r\n\r\n"}, ReadResult::kOk,
                 "HelloABC"},
        BodyCase{"ChunkedBytewise",
                 {kChunked, "a", "\r", "\n0123456789", "\r\n", "0", "\r\n"}, ReadResult::kOk,
                 "0123456789"},
        BodyCase{"ChunkedUpperHexAndLargeChunk",
                 {kChunked + "1F40\r\n" + std::string(8000, 'z') + "\r\n0\r\n\r\n"},
                 ReadResult::kOk, std::string(8000, 'z')},
        BodyCase{"ChunkedExtensionRefused", {kChunked + "5;x=y\r\nHello\r\n0\r\n\r\n"},
                 ReadResult::kChunkedBodyFailed, ""},
        BodyCase{"ChunkedSpaceRefused", {kChunked + "5 \r\nHello\r\n0\r\n\r\n"},
                 ReadResult::kChunkedBodyFailed, ""},
        BodyCase{"ChunkedMissingCrLf", {kChunked + "5\r\nHelloXX3\r\nABC\r\n0\r\n\r\n"},
                 ReadResult::kChunkedBodyFailed, ""},
        BodyCase{"ChunkedHugeSize", {kChunked + "FFFFFFFFFFFFFFFFFFFF\r\n"},
                 ReadResult::kChunkedBodyFailed, ""},
        BodyCase{"ChunkedCutShort", {kChunked + "5\r\nHel"}, ReadResult::kChunkedBodyFailed, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HttpResponseReader, ChunkedTrailersOnlyWithTrailerHeader) {
    Response with;
    ASSERT_EQ(ReadAll({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nTrailer: X-Sum\r\n\r\n"
                       "2\r\nok\r\n0\r\nX-Sum: 7\r\n\r\n"},
                      with),
              ReadResult::kOk);
    ASSERT_NE(with.Header("X-Sum"), nullptr);
    EXPECT_EQ(*with.Header("X-Sum"), "7");
    EXPECT_EQ(with.header_start, 0);
    EXPECT_EQ(Body(with), "ok");

    Response without;
    ASSERT_EQ(ReadAll({kChunked + "2\r\nok\r\n0\r\nX-Sum: 7\r\n\r\n"}, without), ReadResult::kOk);
    EXPECT_EQ(without.Header("X-Sum"), nullptr);
}

TEST(HttpResponseReader, ReadCallbackCanStopTheBody) {
    MemoryTransport transport({"HTTP/1.0 200 OK\r\n\r\n", "abc"});
    ReadSettings settings;
    settings.read_callback = [](uint32_t, uint32_t) { return false; };
    Response r;
    EXPECT_EQ(ReadResponse(transport, settings, r), ReadResult::kBodyFailed);
}

TEST(ResponseBuffer, GrowsGeometricallyAndKeepsNul) {
    ResponseBuffer buffer;
    EXPECT_EQ(buffer.Room(), 4096);
    int grows = 0;
    int room = buffer.Room();
    for (int i = 0; i < 1 << 20; ++i) {
        buffer.Append("x", 1);
        if (buffer.Room() != room) {
            ++grows;
            EXPECT_GE(buffer.Room() - room, 4096);
            room = buffer.Room();
        }
    }
    EXPECT_LE(grows, 9);
    EXPECT_EQ(buffer.Data()[buffer.Size()], '\0');
}

}  // namespace
}  // namespace vantrel::http
