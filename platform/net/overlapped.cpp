// Overlapped sends and receives. Without a completion thread an operation
// finishes at once when the socket is ready, or later inside a wait on its
// event; a cancelled one is forgotten before CancelIoEx returns.
#include "net_internal.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace {

int Fail(int error) {
    WSASetLastError(error);
    return SOCKET_ERROR;
}

bool ValidBuffers(const WSABUF* buffers, DWORD count) {
    if (buffers == nullptr || count == 0) {
        return false;
    }
    for (DWORD i = 0; i < count; ++i) {
        if (buffers[i].buf == nullptr && buffers[i].len != 0) {
            return false;
        }
    }
    return true;
}

// Where the next byte of a scatter/gather list goes; false at its end.
bool Cursor(const vtnet::PendingOp& op, char** at, size_t* left) {
    DWORD skip = op.done;
    for (const WSABUF& b : op.buffers) {
        if (skip < b.len) {
            *at = b.buf + skip;
            *left = b.len - skip;
            return true;
        }
        skip -= b.len;
    }
    return false;
}

using Attempt = bool (*)(vtnet::Socket&);

enum class Direction { kSend, kReceive };

int Start(SOCKET handle, WSABUF* buffers, DWORD count, DWORD* transferred,
          WSAOVERLAPPED* overlapped, void* completion_routine, Direction direction) {
    const bool receive = direction == Direction::kReceive;
    if (completion_routine != nullptr) {
        return Fail(WSAEOPNOTSUPP);
    }
    if (!ValidBuffers(buffers, count)) {
        return Fail(WSAEFAULT);
    }
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    vtnet::Socket* s = vtnet::FindSocket(handle);
    if (s == nullptr) {
        return Fail(WSAENOTSOCK);
    }
    if (s->state != vtnet::SocketState::kConnected) {
        return Fail(WSAENOTCONN);
    }
    vtnet::PendingOp& op = receive ? s->recv : s->send;
    if (op.Active()) {
        return Fail(WSAEINPROGRESS);
    }
    WSAOVERLAPPED local{};
    op.overlapped = overlapped != nullptr ? overlapped : &local;
    op.buffers.assign(buffers, buffers + count);
    op.done = 0;
    op.overlapped->Internal = WSA_IO_PENDING;
    op.overlapped->InternalHigh = 0;
    Attempt attempt = receive ? vtnet::TryRecv : vtnet::TrySend;
    if (!attempt(*s) && overlapped == nullptr) {
        // A non-overlapped call on a non-blocking socket does what it can at once.
        if (op.done == 0) {
            op = vtnet::PendingOp{};
            return Fail(WSAEWOULDBLOCK);
        }
        vtnet::Complete(op, 0);
    }
    WSAOVERLAPPED* record = overlapped != nullptr ? overlapped : &local;
    if (record->Internal == WSA_IO_PENDING) {
        return Fail(WSA_IO_PENDING);
    }
    if (record->Internal != 0) {
        return Fail(static_cast<int>(record->Internal));
    }
    if (transferred != nullptr) {
        *transferred = static_cast<DWORD>(record->InternalHigh);
    }
    return 0;
}

}  // namespace

namespace vtnet {

void Complete(PendingOp& op, int status) {
    OVERLAPPED* record = op.overlapped;
    record->Internal = static_cast<uintptr_t>(status);
    record->InternalHigh = op.done;
    op = PendingOp{};
    Signal(record->hEvent);
}

bool TryRecv(Socket& s) {
    char* at = nullptr;
    size_t left = 0;
    while (Cursor(s.recv, &at, &left)) {
        long n = Functions().recv(s.fd, at, left, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                if (s.recv.done == 0) {
                    return false;
                }
                break;
            }
            const int error = VtWsaErrorFromErrno(errno);
            NoteFailure(VT_NET_RECEIVE, error, s);
            Complete(s.recv, error);
            return true;
        }
        s.recv.done += static_cast<DWORD>(n);
        if (n == 0 || static_cast<size_t>(n) < left) {
            break;  // The peer closed, or this is all there is for now.
        }
    }
    Complete(s.recv, 0);
    return true;
}

bool TrySend(Socket& s) {
    char* at = nullptr;
    size_t left = 0;
    while (Cursor(s.send, &at, &left)) {
        // MSG_NOSIGNAL: a peer that went away is an error code, not a signal.
        long n = Functions().send(s.fd, at, left, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return false;
            }
            const int error = VtWsaErrorFromErrno(errno);
            NoteFailure(VT_NET_SEND, error, s);
            Complete(s.send, error);
            return true;
        }
        s.send.done += static_cast<DWORD>(n);
    }
    Complete(s.send, 0);
    return true;
}

}  // namespace vtnet

extern "C" {

VT_PLATFORM_API int WSASend(SOCKET s, WSABUF* buffers, DWORD count, DWORD* sent, DWORD flags,
                            WSAOVERLAPPED* overlapped, void* completion_routine) {
    if (flags != 0) {
        return Fail(WSAEOPNOTSUPP);
    }
    return Start(s, buffers, count, sent, overlapped, completion_routine, Direction::kSend);
}

VT_PLATFORM_API int WSARecv(SOCKET s, WSABUF* buffers, DWORD count, DWORD* received, DWORD* flags,
                            WSAOVERLAPPED* overlapped, void* completion_routine) {
    if (flags != nullptr) {
        *flags = 0;
    }
    return Start(s, buffers, count, received, overlapped, completion_routine, Direction::kReceive);
}

VT_PLATFORM_API BOOL WSAGetOverlappedResult(SOCKET handle, WSAOVERLAPPED* overlapped,
                                            DWORD* transferred, BOOL wait, DWORD* flags) {
    if (overlapped == nullptr || transferred == nullptr) {
        WSASetLastError(WSAEFAULT);
        return FALSE;
    }
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(vtnet::Lock());
            vtnet::Socket* s = vtnet::FindSocket(handle);
            if (s == nullptr) {
                WSASetLastError(WSAENOTSOCK);
                return FALSE;
            }
            if (overlapped->Internal == WSA_IO_PENDING) {
                if (s->recv.overlapped == overlapped) {
                    vtnet::TryRecv(*s);
                } else if (s->send.overlapped == overlapped) {
                    vtnet::TrySend(*s);
                }
            }
        }
        if (overlapped->Internal != WSA_IO_PENDING) {
            break;
        }
        if (!wait || overlapped->hEvent == nullptr) {
            WSASetLastError(WSA_IO_INCOMPLETE);
            return FALSE;
        }
        WSAEVENT event = overlapped->hEvent;
        WSAResetEvent(event);
        if (overlapped->Internal == WSA_IO_PENDING &&
            WSAWaitForMultipleEvents(1, &event, FALSE, INFINITE, FALSE) == WSA_WAIT_FAILED) {
            return FALSE;
        }
    }
    if (flags != nullptr) {
        *flags = 0;
    }
    *transferred = static_cast<DWORD>(overlapped->InternalHigh);
    if (overlapped->Internal != 0) {
        WSASetLastError(static_cast<int>(overlapped->Internal));
        return FALSE;
    }
    return TRUE;
}

VT_PLATFORM_API BOOL CancelIoEx(HANDLE handle, OVERLAPPED* overlapped) {
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    vtnet::Socket* s = vtnet::FindSocket(reinterpret_cast<SOCKET>(handle));
    if (s == nullptr) {
        WSASetLastError(WSA_INVALID_HANDLE);
        return FALSE;
    }
    bool found = false;
    for (vtnet::PendingOp* op : {&s->recv, &s->send}) {
        if (op->Active() && (overlapped == nullptr || op->overlapped == overlapped)) {
            // Cancelled while pending: the caller's wait ran out.
            vtnet::NoteFailure(op == &s->recv ? VT_NET_RECEIVE : VT_NET_SEND, WSAETIMEDOUT, *s);
            vtnet::Complete(*op, WSA_OPERATION_ABORTED);
            found = true;
        }
    }
    if (!found) {
        // ERROR_NOT_FOUND, as Windows answers for nothing to cancel.
        WSASetLastError(1168);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
