// Commands through /bin/sh with one deadline for output and exit. The
// child's exit is waited for through a pidfd, so the wait sleeps in poll
// like the read does.
#include <platform/daemon.h>

#include "posix_wait.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <chrono>

extern char** environ;

namespace {

using vtplatform::daemon::Clock;
using vtplatform::daemon::Fd;
using vtplatform::daemon::RemainingMs;

// Spawn attributes and file actions, destroyed on every path.
struct SpawnSetup {
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    SpawnSetup() {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

// The caller may have routed signals away (VtCatchSignals); the command
// gets the defaults back, in a group of its own so a time-out kills what
// it started too.
bool Prepare(SpawnSetup& setup, int out_fd) {
    sigset_t none;
    sigset_t defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal_number : {SIGHUP, SIGINT, SIGTERM, SIGPIPE}) {
        sigaddset(&defaults, signal_number);
    }
    return posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETPGROUP |
                                                           POSIX_SPAWN_SETSIGMASK |
                                                           POSIX_SPAWN_SETSIGDEF) == 0 &&
           posix_spawnattr_setpgroup(&setup.attributes, 0) == 0 &&
           posix_spawnattr_setsigmask(&setup.attributes, &none) == 0 &&
           posix_spawnattr_setsigdefault(&setup.attributes, &defaults) == 0 &&
           posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY,
                                            0) == 0 &&
           posix_spawn_file_actions_adddup2(&setup.actions, out_fd, STDOUT_FILENO) == 0;
}

int ExitCode(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

}  // namespace

VtDaemonResult VtRunCommand(LPCSTR command, DWORD timeout_ms, LPSTR buffer, DWORD size,
                            DWORD* length, INT* exit_code) {
    if (length != nullptr) {
        *length = 0;
    }
    if (exit_code != nullptr) {
        *exit_code = -1;
    }
    if (command == nullptr || *command == '\0' || buffer == nullptr || size == 0 ||
        length == nullptr || exit_code == nullptr) {
        return VT_DAEMON_INVALID_ARGUMENT;
    }
    buffer[0] = '\0';
    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) {
        return VT_DAEMON_FAILED;
    }
    Fd read_end(pipe_fds[0]);
    Fd write_end(pipe_fds[1]);
    SpawnSetup setup;
    if (!Prepare(setup, write_end.fd)) {
        return VT_DAEMON_FAILED;
    }
    char shell[] = "/bin/sh";
    char dash_c[] = "-c";
    char* argv[] = {shell, dash_c, const_cast<char*>(command), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, shell, &setup.actions, &setup.attributes, argv, environ) != 0) {
        return VT_DAEMON_FAILED;
    }
    write_end.Close();
    Fd process(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)));
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    bool output_open = true;
    bool exited = process.fd < 0;  // without a pidfd, waitpid below blocks briefly instead
    while (output_open || !exited) {
        pollfd fds[2] = {{read_end.fd, POLLIN, 0}, {process.fd, POLLIN, 0}};
        pollfd* first = output_open ? &fds[0] : &fds[1];
        nfds_t count = (output_open ? 1 : 0) + (exited ? 0 : 1);
        int ready = poll(first, count, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            kill(-pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return ready == 0 ? VT_DAEMON_TIMEOUT : VT_DAEMON_FAILED;
        }
        if (output_open && fds[0].revents != 0) {
            char chunk[4096];
            ssize_t got = read(read_end.fd, chunk, sizeof chunk);
            if (got > 0) {
                for (ssize_t i = 0; i < got && *length + 1 < size; ++i) {
                    buffer[(*length)++] = chunk[i];
                }
                buffer[*length] = '\0';
            } else if (got == 0 || errno != EINTR) {
                output_open = false;
            }
        }
        if (!exited && fds[1].revents != 0) {
            exited = true;
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return VT_DAEMON_FAILED;
        }
    }
    *exit_code = ExitCode(status);
    return VT_DAEMON_OK;
}
