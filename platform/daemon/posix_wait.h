// What the daemon calls share: a descriptor closed on every path, and the
// milliseconds left before a deadline, as poll(2) takes them.
#ifndef PLATFORM_DAEMON_POSIX_WAIT_H
#define PLATFORM_DAEMON_POSIX_WAIT_H

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>

namespace vtplatform::daemon {

using Clock = std::chrono::steady_clock;

struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int value) : fd(value) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { Close(); }
    void Close() {
        if (fd >= 0) {
            close(fd);
        }
        fd = -1;
    }
};

inline int RemainingMs(Clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(std::min<long long>(left, INT_MAX));
}

}  // namespace vtplatform::daemon

#endif  // PLATFORM_DAEMON_POSIX_WAIT_H
