// HttpClient against a real nginx (the proxy path meets tinyproxy in the
// providers' lab test). The peer folder (argument) holds its port file.
#include "http/http_client.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

std::string g_peers;

uint16_t PortOf(const char* server) {
    std::ifstream in(g_peers + "/" + server + "/port");
    int port = 0;
    in >> port;
    return static_cast<uint16_t>(port);
}

std::string Nginx(const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(PortOf("nginx")) + path;
}

using vantrel::http::HttpClient;

TEST(HttpPeers, FetchesRedirectsAndFailsLikeNginxSays) {
    const struct {
        const char* path;
        int status;
        size_t length;  // 0: the request fails
        char fill;
    } cases[] = {
        {"/small.txt", 200, 17, 'h'},
        {"/redirect", 200, 17, 'h'},
        {"/large.bin", 200, 1048576, 'v'},
        {"/loop", 301, 0, 0},
        {"/absent", 404, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        HttpClient client;
        ASSERT_EQ(client.SendRequest(Nginx(c.path).c_str()), c.length > 0);
        EXPECT_EQ(client.GetStatus(), c.status);
        if (c.length > 0) {
            ASSERT_EQ(static_cast<size_t>(client.GetBodyLength()), c.length);
            EXPECT_EQ(client.GetBody()[0], c.fill);
            EXPECT_EQ(client.GetBody()[c.length - 1], c.fill == 'h' ? '\n' : 'v');
            // nginx says "Connection: close" to HTTP/1.0 clients.
            EXPECT_FALSE(client.IsConnected());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: http_peers_test PEER_DIR\n");
        return 2;
    }
    g_peers = argv[1];
    return RUN_ALL_TESTS();
}
