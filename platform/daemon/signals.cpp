// Signals as events: the three are blocked and read from a signalfd, so a
// signal that arrives during an update waits, undisturbed, for the next
// look, and an idle wait is one poll.
#include <platform/daemon.h>

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <chrono>

namespace {

int g_signal_fd = -1;
bool g_stop_pending = false;
bool g_reload_pending = false;

// Moves what the signalfd holds into the pending flags without waiting.
void Drain() {
    signalfd_siginfo info;
    while (read(g_signal_fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        if (info.ssi_signo == SIGHUP) {
            g_reload_pending = true;
        } else {
            g_stop_pending = true;
        }
    }
}

VtSignal TakePending() {
    if (g_stop_pending) {
        g_stop_pending = false;
        return VT_SIGNAL_STOP;
    }
    if (g_reload_pending) {
        g_reload_pending = false;
        return VT_SIGNAL_RELOAD;
    }
    return VT_SIGNAL_NONE;
}

}  // namespace

VtDaemonResult VtCatchSignals(void) {
    if (g_signal_fd >= 0) {
        return VT_DAEMON_OK;
    }
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) {
        return VT_DAEMON_FAILED;
    }
    g_signal_fd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (g_signal_fd < 0) {
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        return VT_DAEMON_FAILED;
    }
    signal(SIGPIPE, SIG_IGN);
    return VT_DAEMON_OK;
}

VtSignal VtWaitSignal(DWORD timeout_ms) {
    if (g_signal_fd < 0) {
        return VT_SIGNAL_NONE;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        Drain();
        if (VtSignal pending = TakePending(); pending != VT_SIGNAL_NONE) {
            return pending;
        }
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return VT_SIGNAL_NONE;
        }
        pollfd fd = {g_signal_fd, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(std::min<long long>(left, INT_MAX))) < 0 &&
            errno != EINTR) {
            return VT_SIGNAL_NONE;
        }
    }
}
