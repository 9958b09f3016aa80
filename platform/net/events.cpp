// Event objects and the wait that drives the sockets tied to them.
#include "net_internal.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <unordered_set>

namespace {

std::mutex g_event_lock;
std::unordered_set<WSAEVENT>& Events() {
    static std::unordered_set<WSAEVENT> events;
    return events;
}

bool Ready(const WSAEVENT* events, DWORD count, bool wait_all, DWORD* index) {
    bool all = true;
    for (DWORD i = 0; i < count; ++i) {
        if (events[i]->signaled.load()) {
            if (!wait_all) {
                *index = i;
                return true;
            }
        } else {
            all = false;
        }
    }
    *index = 0;
    return wait_all && all;
}

void Drain(int fd) {
    uint64_t value = 0;
    while (read(fd, &value, sizeof value) > 0) {
    }
}

// poll(2) timeout for what is left of the wait; INFINITE stays infinite.
int RemainingMs(DWORD timeout, std::chrono::steady_clock::time_point start) {
    if (timeout == INFINITE) {
        return -1;
    }
    auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now() - start)
                     .count();
    return spent >= timeout ? 0 : static_cast<int>(timeout - spent);
}

// One poll(2) over the events' wake descriptors and the sockets that can
// signal them, then the sockets that became ready are driven. False (with
// the last error set) when poll fails.
bool PollOnce(const WSAEVENT* events, DWORD count, bool wait_all, int timeout_ms) {
    std::vector<pollfd> fds;
    std::vector<vtnet::Socket*> polled;
    for (DWORD i = 0; i < count; ++i) {
        events[i]->waiters.fetch_add(1);
        fds.push_back({events[i]->wake_fd, POLLIN, 0});
    }
    {
        std::lock_guard<std::mutex> guard(vtnet::Lock());
        for (vtnet::Socket* s : vtnet::AllSockets()) {
            short interest = vtnet::Interest(*s, events, count);
            if (interest != 0) {
                fds.push_back({s->fd, interest, 0});
                polled.push_back(s);
            }
        }
    }
    int error = 0;
    DWORD index = 0;
    // A set that raced with the registration above is seen here.
    if (!Ready(events, count, wait_all, &index) && poll(fds.data(), fds.size(), timeout_ms) < 0 &&
        errno != EINTR) {
        error = VtWsaErrorFromErrno(errno);
    }
    for (DWORD i = 0; i < count; ++i) {
        events[i]->waiters.fetch_sub(1);
        Drain(events[i]->wake_fd);
    }
    if (error != 0) {
        WSASetLastError(error);
        return false;
    }
    std::lock_guard<std::mutex> guard(vtnet::Lock());
    for (size_t i = 0; i < polled.size(); ++i) {
        short revents = fds[count + i].revents;
        // The socket may have been closed by another thread meanwhile.
        if (revents != 0 && vtnet::FindSocket(reinterpret_cast<SOCKET>(polled[i])) != nullptr) {
            vtnet::Drive(*polled[i], revents);
        }
    }
    return true;
}

}  // namespace

namespace vtnet {

bool IsEvent(WSAEVENT event) {
    std::lock_guard<std::mutex> guard(g_event_lock);
    return event != nullptr && Events().count(event) != 0;
}

void Signal(WSAEVENT event) {
    if (event == nullptr) {
        return;
    }
    event->signaled.store(true);
    if (event->waiters.load() > 0) {
        uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(event->wake_fd, &one, sizeof one);
    }
}

}  // namespace vtnet

extern "C" {

VT_PLATFORM_API WSAEVENT WSACreateEvent(void) {
    int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0) {
        WSASetLastError(VtWsaErrorFromErrno(errno));
        return WSA_INVALID_EVENT;
    }
    auto* event = new (std::nothrow) VtWsaEvent;
    if (event == nullptr) {
        close(fd);
        WSASetLastError(WSA_NOT_ENOUGH_MEMORY);
        return WSA_INVALID_EVENT;
    }
    event->wake_fd = fd;
    std::lock_guard<std::mutex> guard(g_event_lock);
    Events().insert(event);
    return event;
}

VT_PLATFORM_API BOOL WSASetEvent(WSAEVENT event) {
    if (!vtnet::IsEvent(event)) {
        WSASetLastError(WSA_INVALID_HANDLE);
        return FALSE;
    }
    vtnet::Signal(event);
    return TRUE;
}

VT_PLATFORM_API BOOL WSAResetEvent(WSAEVENT event) {
    if (!vtnet::IsEvent(event)) {
        WSASetLastError(WSA_INVALID_HANDLE);
        return FALSE;
    }
    event->signaled.store(false);
    return TRUE;
}

VT_PLATFORM_API BOOL WSACloseEvent(WSAEVENT event) {
    {
        std::lock_guard<std::mutex> guard(g_event_lock);
        if (event == nullptr || Events().erase(event) == 0) {
            WSASetLastError(WSA_INVALID_HANDLE);
            return FALSE;
        }
    }
    // A socket still tied to the event forgets it, as a closed handle
    // can no longer be signalled.
    {
        std::lock_guard<std::mutex> guard(vtnet::Lock());
        for (vtnet::Socket* s : vtnet::AllSockets()) {
            if (s->select_event == event) {
                s->select_event = nullptr;
                s->select_mask = 0;
            }
        }
    }
    close(event->wake_fd);
    delete event;
    return TRUE;
}

VT_PLATFORM_API DWORD WSAWaitForMultipleEvents(DWORD count, const WSAEVENT* events, BOOL wait_all,
                                               DWORD timeout, BOOL alertable) {
    if (count == 0 || count > WSA_MAXIMUM_WAIT_EVENTS || events == nullptr || alertable) {
        WSASetLastError(WSA_INVALID_PARAMETER);
        return WSA_WAIT_FAILED;
    }
    for (DWORD i = 0; i < count; ++i) {
        if (!vtnet::IsEvent(events[i])) {
            WSASetLastError(WSA_INVALID_HANDLE);
            return WSA_WAIT_FAILED;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        DWORD index = 0;
        if (Ready(events, count, wait_all != FALSE, &index)) {
            return WSA_WAIT_EVENT_0 + index;
        }
        int remaining = RemainingMs(timeout, start);
        if (remaining == 0) {
            return WSA_WAIT_TIMEOUT;
        }
        if (!PollOnce(events, count, wait_all != FALSE, remaining)) {
            return WSA_WAIT_FAILED;
        }
    }
}

}  // extern "C"
