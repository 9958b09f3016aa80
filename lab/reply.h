// A reply of the lab and its bytes on the wire: HTTP/1.0, always with
// Content-Length and "Connection: close".
#pragma once

#include "lab/request.h"

#include <string>
#include <vector>

namespace vantrel::lab {

struct Reply {
    int status = 200;
    std::string content_type = "text/plain";
    std::vector<Header> headers;
    std::string body;
};

Reply TextReply(int status, std::string body);
std::string SerializeReply(const Reply& reply);

}  // namespace vantrel::lab
