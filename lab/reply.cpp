#include "lab/reply.h"

namespace vantrel::lab {

namespace {

const char* ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 408:
            return "Request Timeout";
        case 431:
            return "Request Header Fields Too Large";
        default:
            return "Error";
    }
}

}  // namespace

Reply TextReply(int status, std::string body) {
    Reply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

std::string SerializeReply(const Reply& reply) {
    std::string bytes =
        "HTTP/1.0 " + std::to_string(reply.status) + " " + ReasonPhrase(reply.status) + "\r\n";
    bytes += "Content-Type: " + reply.content_type + "\r\n";
    bytes += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    bytes += "Connection: close\r\n";
    for (const Header& header : reply.headers) {
        bytes += header.name + ": " + header.value + "\r\n";
    }
    bytes += "\r\n";
    bytes += reply.body;
    return bytes;
}

}  // namespace vantrel::lab
