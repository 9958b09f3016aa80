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

class LabProcess {
public:
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
        if (posix_spawn(&m_pid, binary.c_str(), &actions, nullptr, argv, environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        m_stdout = fds[0];
    }
    LabProcess(const LabProcess&) = delete;
    LabProcess& operator=(const LabProcess&) = delete;
    ~LabProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_stdout >= 0) {
            close(m_stdout);
        }
    }

    std::string ReadOutput(bool first_line_only) {
        return vantrel::lab::testing::ReadFrom(m_stdout, first_line_only);
    }

    // SIGTERM, then the exit status once stdout has closed.
    int Stop() {
        kill(m_pid, SIGTERM);
        m_tail = ReadOutput(false);
        int status = -1;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return status;
    }
    const std::string& Tail() const { return m_tail; }

private:
    pid_t m_pid = -1;
    int m_stdout = -1;
    std::string m_tail;
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
    std::string first = lab.ReadOutput(true);
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

    int status = lab.Stop();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(lab.Tail().find("koti.dy.fi 127.0.0.1"), std::string::npos) << lab.Tail();
    std::remove(accounts.c_str());
    rmdir(folder);
}

}  // namespace
