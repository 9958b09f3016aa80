// The lab binary on a free loopback port, driven with a raw socket, then
// stopped with SIGTERM.
#include "lab/services.h"
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

std::string Exchange(uint16_t port, const std::string& request) {
    LoopbackClient client(port);
    EXPECT_TRUE(client.Connected());
    EXPECT_TRUE(client.Send(request));
    return client.ReadToClose();
}

TEST(LabEndToEnd, ServesUpdatesOverLoopbackAndStopsOnSigterm) {
    LabProcess lab("dyfi user=aino password=pw hosts=koti.dy.fi\n");
    const uint16_t port = lab.Port();
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
}

}  // namespace
