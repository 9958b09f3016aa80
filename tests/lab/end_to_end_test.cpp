// The lab binary on a free loopback port, driven with a raw socket, then
// stopped with SIGTERM.
#include "tests/lab/lab_process.h"
#include "tests/lab/loopback_client.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <string>

namespace {

using vantrel::lab::testing::LabProcess;
using vantrel::lab::testing::LoopbackClient;
using vantrel::lab::testing::ReadFrom;

// Updates through the providers and the records page are the update
// scripts'; here the raw socket sends what they cannot.
TEST(LabEndToEnd, ServesHeadsInPiecesAndStopsOnSigterm) {
    LabProcess lab("dyfi user=aino password=pw hosts=koti.dy.fi\n");
    const uint16_t port = lab.Port();
    ASSERT_NE(port, 0);
    {
        LoopbackClient client(port);
        ASSERT_TRUE(client.Send("GET /nic/update?hostname=koti.dy.fi HTTP/1.0\r\nHo"));
        ASSERT_TRUE(client.Send("st: www.dy.fi\r\nAuthorization: Basic YWlubzpwdw==\r\n\r\n"));
        EXPECT_EQ(client.ReadToClose(),
                  "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 15\r\n"
                  "Connection: close\r\n\r\ngood 127.0.0.1\n");
    }
    {
        LoopbackClient client(port);
        ASSERT_TRUE(client.Send("garbage\r\n\r\n"));
        EXPECT_EQ(client.ReadToClose().rfind("HTTP/1.0 400 Bad Request\r\n", 0), 0u);
    }
    // On SIGTERM the lab prints its records, closes its output and exits 0.
    kill(lab.pid, SIGTERM);
    std::string tail = ReadFrom(lab.out);
    int status = -1;
    waitpid(lab.pid, &status, 0);
    lab.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_NE(tail.find("dyfi        koti.dy.fi 127.0.0.1       no      1\n"), std::string::npos)
        << tail;
}

}  // namespace
