// The fixture of the socket conformance tests: Winsock started, and a POSIX
// listener on 127.0.0.1 at a port the kernel picks for the stand-in's
// sockets to connect to. Injected system calls and connect-to rules are
// undone after each test.
#pragma once

#define VT_WINSOCK_NO_SHORT_NAMES
#include <platform/winsock.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

class LoopbackListener : public ::testing::Test {
protected:
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &data), 0);
        m_listen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ASSERT_EQ(bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(listen(m_listen, 4), 0);
        ASSERT_EQ(getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length), 0);
        m_port = ntohs(address.sin_port);
    }
    void TearDown() override {
        VtSetSocketFunctions(nullptr);
        VtResolverClearConnectTo();
        if (m_peer >= 0) close(m_peer);
        close(m_listen);
        WSACleanup();
    }

    int m_listen = -1;
    int m_peer = -1;  // the accepted end, once a test accepted one
    uint16_t m_port = 0;
};
