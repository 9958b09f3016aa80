// The vantrel-lab binary (VT_LAB_BINARY) on a free loopback port with the
// accounts given as text, its stdout on a pipe; killed if the test ends early.
#pragma once

#include "tests/lab/loopback_client.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

extern char** environ;

namespace vantrel::lab::testing {

struct LabProcess {
    pid_t pid = -1;
    int out = -1;
    std::string folder = "/tmp/vantrel-lab-test-XXXXXX";

    explicit LabProcess(const std::string& accounts) {
        int fds[2];
        if (mkdtemp(folder.data()) == nullptr || pipe2(fds, O_CLOEXEC) != 0) {
            return;
        }
        std::string file = folder + "/accounts";
        std::ofstream(file) << accounts;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        std::string binary = VT_LAB_BINARY;
        char* argv[] = {binary.data(), const_cast<char*>("--accounts"), file.data(), nullptr};
        if (posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv, environ) != 0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out = fds[0];
    }
    LabProcess(const LabProcess&) = delete;
    LabProcess& operator=(const LabProcess&) = delete;
    ~LabProcess() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        close(out);
        std::remove((folder + "/accounts").c_str());
        rmdir(folder.c_str());
    }

    // The port of the first line, "listening 127.0.0.1:PORT"; 0 when the
    // lab did not start.
    uint16_t Port() const {
        constexpr char kPrefix[] = "listening 127.0.0.1:";
        std::string first = ReadFrom(out, true);
        if (first.rfind(kPrefix, 0) != 0) {
            return 0;
        }
        return static_cast<uint16_t>(std::atoi(first.c_str() + sizeof kPrefix - 1));
    }
};

}  // namespace vantrel::lab::testing
