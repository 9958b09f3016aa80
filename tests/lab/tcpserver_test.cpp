#include <platform/tcpserver.h>

#include "tests/lab/loopback_client.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

using vantrel::lab::testing::LoopbackClient;

struct ListenerCloser {
    void operator()(VtTcpListener* listener) const { VtTcpCloseListener(listener); }
};
struct ConnectionCloser {
    void operator()(VtTcpConnection* connection) const { VtTcpCloseConnection(connection); }
};
using Listener = std::unique_ptr<VtTcpListener, ListenerCloser>;
using Connection = std::unique_ptr<VtTcpConnection, ConnectionCloser>;

VTLISTENER const kBadListener = reinterpret_cast<VTLISTENER>(0x1);
VTCONNECTION const kBadConnection = reinterpret_cast<VTCONNECTION>(0x1);

Listener ListenAnywhere() {
    VTLISTENER listener = kBadListener;
    EXPECT_EQ(VtTcpListen("127.0.0.1", 0, &listener), VT_TCP_OK);
    return Listener(listener);
}

Connection AcceptOne(VTLISTENER listener) {
    VTCONNECTION connection = kBadConnection;
    EXPECT_EQ(VtTcpAccept(listener, 5000, &connection), VT_TCP_OK);
    return Connection(connection);
}

// A raw client connected to a fresh listener, and the accepted side.
struct Accepted {
    Listener listener = ListenAnywhere();
    LoopbackClient client{VtTcpListenerPort(listener.get())};
    Connection connection = AcceptOne(listener.get());
};

// A name is never looked up; a taken port and an accept timeout are told
// apart, and the outputs are cleared.
TEST(TcpServer, RefusalsAndTimeoutsClearTheOutput) {
    VTLISTENER named = kBadListener;
    EXPECT_EQ(VtTcpListen("localhost", 0, &named), VT_TCP_INVALID_ARGUMENT);
    EXPECT_EQ(named, nullptr);
    Listener first = ListenAnywhere();
    ASSERT_NE(VtTcpListenerPort(first.get()), 0);
    VTLISTENER second = kBadListener;
    EXPECT_EQ(VtTcpListen("127.0.0.1", VtTcpListenerPort(first.get()), &second),
              VT_TCP_ADDRESS_IN_USE);
    EXPECT_EQ(second, nullptr);
    VTCONNECTION connection = kBadConnection;
    EXPECT_EQ(VtTcpAccept(first.get(), 20, &connection), VT_TCP_TIMEOUT);
    EXPECT_EQ(connection, nullptr);
}

TEST(TcpServer, StopEndsEveryWait) {
    Accepted a;
    std::thread stopper([&] { VtTcpStopListener(a.listener.get()); });
    VTCONNECTION none = kBadConnection;
    EXPECT_EQ(VtTcpAccept(a.listener.get(), VT_TCP_INFINITE, &none), VT_TCP_STOPPED);
    stopper.join();
    EXPECT_EQ(none, nullptr);
    // The accepted connection shares the stop event, even after its
    // listener is gone.
    a.listener.reset();
    char buffer[8];
    DWORD received = 0;
    EXPECT_EQ(VtTcpRead(a.connection.get(), buffer, sizeof buffer, VT_TCP_INFINITE, &received),
              VT_TCP_STOPPED);
}

TEST(TcpServer, ExchangesBytesAndHearsThePeerClose) {
    Accepted a;
    VTCONNECTION connection = a.connection.get();
    char peer[16] = "sentinel";
    EXPECT_EQ(VtTcpPeerAddress(connection, peer, 8), VT_TCP_INVALID_ARGUMENT);
    EXPECT_EQ(VtTcpPeerAddress(connection, peer, sizeof peer), VT_TCP_OK);
    EXPECT_STREQ(peer, "127.0.0.1");

    char buffer[64];
    DWORD received = 77;
    EXPECT_EQ(VtTcpRead(connection, buffer, sizeof buffer, 20, &received), VT_TCP_TIMEOUT);
    EXPECT_EQ(received, 0u);
    ASSERT_TRUE(a.client.Send("ping"));
    ASSERT_EQ(VtTcpRead(connection, buffer, sizeof buffer, 5000, &received), VT_TCP_OK);
    EXPECT_EQ(std::string(buffer, received), "ping");
    DWORD sent = 0;
    EXPECT_EQ(VtTcpWrite(connection, "pong", 4, 5000, &sent), VT_TCP_OK);
    EXPECT_EQ(sent, 4u);
    a.connection.reset();
    EXPECT_EQ(a.client.ReadToClose(), "pong");

    Accepted closed;
    closed.client.Close();
    EXPECT_EQ(VtTcpRead(closed.connection.get(), buffer, sizeof buffer, 5000, &received),
              VT_TCP_CLOSED);
    EXPECT_EQ(received, 0u);
}

}  // namespace
