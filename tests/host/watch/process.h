// Child processes for the watch's process tests: spawned with their
// output in files or a pipe, waited for with a bound, killed if the test
// ends first.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <utility>
#include <string>
#include <vector>

extern char** environ;

namespace host::watch::testing {

class Process {
public:
    // stdout and stderr go to the files named; at most one of them may be
    // empty, to be read through a pipe with ReadLine.
    Process(std::vector<std::string> args, const std::string& out, const std::string& err) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        int fds[2] = {-1, -1};
        for (auto [fd, name] : {std::pair{STDOUT_FILENO, &out}, std::pair{STDERR_FILENO, &err}}) {
            if (name->empty() && fds[0] < 0 && pipe2(fds, O_CLOEXEC) == 0) {
                posix_spawn_file_actions_adddup2(&actions, fds[1], fd);
            } else {
                posix_spawn_file_actions_addopen(&actions, fd,
                                                 name->empty() ? "/dev/null" : name->c_str(),
                                                 O_WRONLY | O_CREAT | O_TRUNC, 0600);
            }
        }
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        if (fds[1] >= 0) {
            close(fds[1]);
        }
        m_err = fds[0];
        m_pidfd = m_pid > 0 ? static_cast<int>(syscall(SYS_pidfd_open, m_pid, 0)) : -1;
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_err >= 0) {
            close(m_err);
        }
        if (m_pidfd >= 0) {
            close(m_pidfd);
        }
    }

    pid_t Pid() const { return m_pid; }

    // The exit code (128 + signal when killed), or nullopt after timeout_ms.
    std::optional<int> Wait(int timeout_ms) {
        pollfd fd = {m_pidfd, POLLIN, 0};
        if (m_pid <= 0 || poll(&fd, 1, timeout_ms) != 1) {
            return std::nullopt;
        }
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // The next line of the pipe, without its '\n'; nullopt when
    // none comes within timeout_ms or the pipe closed.
    std::optional<std::string> ReadLine(int timeout_ms) {
        for (;;) {
            size_t newline = m_pending.find('\n');
            if (newline != std::string::npos) {
                std::string line = m_pending.substr(0, newline);
                m_pending.erase(0, newline + 1);
                return line;
            }
            pollfd fd = {m_err, POLLIN, 0};
            char block[4096];
            ssize_t got = 0;
            if (poll(&fd, 1, timeout_ms) != 1 || (got = read(m_err, block, sizeof block)) <= 0) {
                return std::nullopt;
            }
            m_pending.append(block, static_cast<size_t>(got));
        }
    }

private:
    pid_t m_pid = -1;
    int m_err = -1;
    int m_pidfd = -1;
    std::string m_pending;
};

}  // namespace host::watch::testing
