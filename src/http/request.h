// HTTP/1.0 request options and the request text.
#pragma once

#include "http/url.h"

#include <platform/com.h>

#include <cstdint>
#include <string>

namespace vantrel::http {

enum HttpRequestFlags : uint32_t {
    kAutoRedirect = 1,
    kProcessStatus = 2,
    kSendCallback = 4,
    kSendBlocks = 8,
};

// Called after each send and receive with the count; false aborts.
using HttpStatusCallback = bool (*)(uint32_t count, uint32_t parameter);
// Yields the next piece of the body; false or an empty piece ends it.
using HttpChunkCallback = bool (*)(const BYTE** data, uint32_t* length, uint32_t parameter);

// No limit on the size of a response body.
inline constexpr uint32_t kNoSizeLimit = 0;
// What the providers accept from an update service: its replies are a few
// lines, so anything larger is no reply.
inline constexpr uint32_t kServiceReplyLimit = 1u << 20;

// The options do not own their texts, which must outlive the request.
struct HttpRequestOptions {
    const char* extra_headers = nullptr;  // whole lines, each ending in CR LF
    const char* method = "GET";
    const char* content_type = nullptr;
    uint32_t data_length = 0;
    uint32_t flags = kAutoRedirect | kProcessStatus | kSendBlocks;
    // ms, for each connect wait, send and receive; one SendRequest, its
    // redirects included, ends after six times this in all.
    uint32_t timeout = 10000;
    uint32_t send_block_size = 4096;
    uint32_t read_block_size = 4096;  // 0 means 2048
    uint32_t send_callback_parameter = 0;
    uint32_t read_callback_parameter = 0;
    uint32_t chunk_callback_parameter = 0;
    uint16_t port = 80;  // only for a URL whose port is 0
    const BYTE* data = nullptr;
    HttpChunkCallback chunk_callback = nullptr;
    HttpStatusCallback send_status_callback = nullptr;
    HttpStatusCallback read_status_callback = nullptr;
    // Bytes of a body (chunked: decoded) beyond which the response fails;
    // the header block has a fixed cap of its own (64 KiB).
    uint32_t max_response_size = kNoSizeLimit;

    // Each returns the previous pointer.
    const char* SetMethod(const char* method);
    const char* SetExtraHeaders(const char* headers);
};

enum class RequestForm { kDirect, kProxy };

// The request text up to and including its empty line. False when the
// rebuilt URL of the proxy form is too long.
bool ComposeRequest(const ParsedUrl& url, const char* method, const HttpRequestOptions& options,
                    RequestForm form, std::string* out);

}  // namespace vantrel::http
