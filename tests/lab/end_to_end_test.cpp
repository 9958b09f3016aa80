// The lab binary on a free loopback port, driven with a raw socket, then
// stopped with SIGTERM.
#include "lab/services.h"
#include "tests/lab/loopback_client.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <string>

extern char** environ;

namespace {

using vantrel::lab::testing::LoopbackClient;
using vantrel::lab::testing::ReadFrom;

// The lab with its stdout on a pipe; killed if the test ends early.
struct LabProcess {
    pid_t pid = -1;
    int out = -1;

    explicit LabProcess(const char* accounts) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        std::string binary = VT_LAB_BINARY;
        char* argv[] = {binary.data(), const_cast<char*>("--accounts"), const_cast<char*>(accounts),
                        nullptr};
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
    }
};

std::string Exchange(uint16_t port, const std::string& request) {
    LoopbackClient client(port);
    EXPECT_TRUE(client.Connected());
    EXPECT_TRUE(client.Send(request));
    return client.ReadToClose();
}

TEST(LabEndToEnd, ServesUpdatesOverLoopbackAndStopsOnSigterm) {
    char folder[] = "/tmp/vantrel-lab-test-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string accounts = std::string(folder) + "/accounts";
    std::ofstream(accounts) << "dyfi user=aino password=pw hosts=koti.dy.fi\n";
    LabProcess lab(accounts.c_str());
    std::string first = ReadFrom(lab.out, true);
    ASSERT_EQ(first.rfind("listening 127.0.0.1:", 0), 0u) << first;
    auto port = static_cast<uint16_t>(std::atoi(first.c_str() + sizeof "listening 127.0.0.1:" - 1));
    ASSERT_NE(port, 0);

    const std::string dyfi = vantrel::lab::InfoOf(vantrel::lab::Service::kDyFi).update_host;
    // Proxy form with DyFi's port, as the provider sends it through a proxy.
    EXPECT_EQ(Exchange(port, "GET http://" + dyfi +
                                 ":8180/nic/update?hostname=koti.dy.fi HTTP/1.0\r\nHost: " + dyfi +
                                 ":8180\r\nAuthorization: Basic YWlubzpwdw==\r\n"
                                 "User-Agent: test\r\n\r\n"),
              "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 15\r\n"
              "Connection: close\r\n\r\ngood 127.0.0.1\n");
    // Origin form, the request head arriving in two pieces.
    {
        LoopbackClient client(port);
        ASSERT_TRUE(client.Connected());
        ASSERT_TRUE(client.Send("GET /nic/update?hostname=koti.dy.fi HTTP/1.0\r\nHo"));
        ASSERT_TRUE(client.Send("st: " + dyfi + "\r\nAuthorization: Basic YWlubzpubw==\r\n\r\n"));
        std::string reply = client.ReadToClose();
        EXPECT_NE(reply.find("\r\n\r\nbadauth\n"), std::string::npos) << reply;
    }
    EXPECT_EQ(Exchange(port, "garbage\r\n\r\n").rfind("HTTP/1.0 400 Bad Request\r\n", 0), 0u);
    std::string records = Exchange(port, "GET /lab/records HTTP/1.0\r\n\r\n");
    EXPECT_NE(records.find("dyfi        koti.dy.fi 127.0.0.1       no      1\n"), std::string::npos)
        << records;

    // On SIGTERM the lab prints its records, closes its output and exits 0.
    kill(lab.pid, SIGTERM);
    std::string tail = ReadFrom(lab.out);
    int status = -1;
    waitpid(lab.pid, &status, 0);
    lab.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(tail.find("koti.dy.fi 127.0.0.1"), std::string::npos) << tail;
    std::remove(accounts.c_str());
    rmdir(folder);
}

}  // namespace
