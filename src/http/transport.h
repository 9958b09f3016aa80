// What the response reader needs of a connection, so it can be fed bytes
// from memory as well as from a socket.
#pragma once

namespace vantrel::http {

struct ITransport {
    // One receive of at most room bytes. True with *count 0 means the peer
    // closed the connection.
    virtual bool Receive(char* buffer, int room, int* count) = 0;
    virtual void Close() = 0;
};

}  // namespace vantrel::http
