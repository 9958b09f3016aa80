// Canonicalising, parsing, rebuilding and checking URLs.
#include "http/request.h"
#include "http/url.h"

#include <gtest/gtest.h>

namespace vantrel::http {
namespace {

TEST(HttpUrl, Canonicalizes) {
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"http://h/a b?c d&e", "http://h/a%20b?c d&e"},
        {"http://h/\xe9#x y", "http://h/%e9#x y"},
        {"http://h/$&+,;<=>@[\\]^`{|}\"", "http://h/%24%26%2b%2c%3b%3c%3d%3e%40%5b%5c%5d%5e%60%7b%7c%7d%22"},
        {"http://h/%41/../x\x7f\x01", "http://h/%41/../x%7f%01"},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_TRUE(CanonicalizeUrl(c.in, kCanonicalUrlRoom, &out)) << c.in;
        EXPECT_EQ(out, c.out);
    }
    std::string out;
    EXPECT_TRUE(CanonicalizeUrl("http://h/" + std::string(2073, 'a'), kCanonicalUrlRoom, &out));
    EXPECT_EQ(out.size(), 2082u);
    EXPECT_FALSE(CanonicalizeUrl("http://h/" + std::string(2074, 'a'), kCanonicalUrlRoom, &out));
}

struct ParseCase {
    std::string url;
    bool ok;
    int scheme;
    const char* host;
    const char* user;
    const char* password;
    const char* path;
    const char* extra;
    uint16_t port;
};

TEST(HttpUrl, Parses) {
    const ParseCase cases[] = {
        {"http://h:8180/nic/update?hostname=x", true, kSchemeHttp, "h", "", "", "/nic/update",
         "?hostname=x", 8180},
        {"http://h", true, kSchemeHttp, "h", "", "", "", "", 80},
        {"http://h?x", true, kSchemeHttp, "h", "", "", "", "?x", 80},
        {"HTTPS://h/p#f", true, kSchemeHttps, "h", "", "", "/p", "#f", 443},
        {"http://u:p@h/x", true, kSchemeHttp, "h", "u", "p", "/x", "", 80},
        {"ftp://u@h", true, kSchemeFtp, "h", "u", "", "", "", 21},
        {"http://u:p%40h/", true, kSchemeHttp, "u", "", "", "/", "", 0},
        {"http://h:8180?q=1", true, kSchemeHttp, "h", "", "", "", "", 8180},
        {"http://h:99999/", true, kSchemeHttp, "h", "", "", "/", "", 34463},
        {"file:///etc/hosts?x", true, kSchemeFile, "", "", "", "/etc/hosts?x", "", 0},
        {"mailto:a@b", true, kSchemeMailto, "b", "a", "", "", "", 0},
        {"news:/x", true, kSchemeNews, "", "", "", "/x", "", 0},
        {"gopher:/path", true, kSchemeGopher, "", "", "", "/path", "", 70},
        {"x-own://h/", true, kSchemeUnknown, "h", "", "", "/", "", 0},
        {"mailto://a@b", false, 0, "", "", "", "", "", 0},
        {"http://a@b@c/", false, 0, "", "", "", "", "", 0},
        {"http://:p@h/", false, 0, "", "", "", "", "", 0},
        {"no-scheme/x", false, 0, "", "", "", "", "", 0},
        {"/a:b", false, 0, "", "", "", "", "", 0},
        {std::string(33, 's') + "://h/", false, 0, "", "", "", "", "", 0},
        {"http://" + std::string(257, 'h') + "/", false, 0, "", "", "", "", "", 0},
        {"http://" + std::string(129, 'u') + "@h/", false, 0, "", "", "", "", "", 0},
        {"http://h/" + std::string(2048, 'p'), false, 0, "", "", "", "", "", 0},
        {"http://h/?" + std::string(2048, 'q'), false, 0, "", "", "", "", "", 0},
    };
    for (const ParseCase& c : cases) {
        ParsedUrl url;
        url.host = "sentinel";
        ASSERT_EQ(ParseUrl(c.url, &url), c.ok) << c.url;
        if (!c.ok) {
            EXPECT_EQ(url.scheme, kSchemeUnknown) << c.url;
            EXPECT_EQ(url.port, 0) << c.url;
            EXPECT_TRUE(url.host.empty() && url.scheme_name.empty()) << c.url;
            continue;
        }
        EXPECT_EQ(url.scheme, c.scheme) << c.url;
        EXPECT_EQ(url.host, c.host) << c.url;
        EXPECT_EQ(url.user, c.user) << c.url;
        EXPECT_EQ(url.password, c.password) << c.url;
        EXPECT_EQ(url.path, c.path) << c.url;
        EXPECT_EQ(url.extra, c.extra) << c.url;
        EXPECT_EQ(url.port, c.port) << c.url;
    }
}

TEST(HttpUrl, BuildsBackWhatWasParsed) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"http://u:p@h/x?y", "http://u:p@h/x?y"},
        {"http://h:80/x", "http://h/x"},
        {"http://h:8180/x", "http://h:8180/x"},
        {"mailto:a@b", "mailto:a@b"},
        {"http://h", "http://h"},
    };
    for (const Case& c : cases) {
        ParsedUrl url;
        ASSERT_TRUE(ParseUrl(c.in, &url)) << c.in;
        std::string out;
        ASSERT_TRUE(BuildUrl(url, kCanonicalUrlRoom, &out)) << c.in;
        EXPECT_EQ(out, c.out);
    }
    ParsedUrl url;
    url.host = "h";
    url.path = "rel";
    std::string out;
    ASSERT_TRUE(BuildUrl(url, kCanonicalUrlRoom, &out));
    EXPECT_EQ(out, "http://h/rel");
    url.path = "/" + std::string(2047 - std::string("http://h/").size(), 'p');
    EXPECT_TRUE(BuildUrl(url, kRedirectUrlRoom, &out));
    url.path += 'p';
    EXPECT_FALSE(BuildUrl(url, kRedirectUrlRoom, &out));
}

TEST(HttpUrl, RequestCheck) {
    ParsedUrl url;
    ASSERT_TRUE(ParseUrl("http://h", &url));
    ASSERT_TRUE(CheckRequestUrl(&url, 81));
    EXPECT_EQ(url.path, "/");
    EXPECT_EQ(url.port, 80);
    ASSERT_TRUE(ParseUrl("http://h:0/x", &url));
    ASSERT_TRUE(CheckRequestUrl(&url, 81));
    EXPECT_EQ(url.port, 81);
    for (const char* refused : {"https://h/", "http:/x", "ftp://h/"}) {
        ASSERT_TRUE(ParseUrl(refused, &url)) << refused;
        EXPECT_FALSE(CheckRequestUrl(&url, 80)) << refused;
    }
}

TEST(HttpRequestText, ProxyFormSendsEmptyContentTypeAndLength) {
    ParsedUrl url;
    ASSERT_TRUE(ParseUrl("http://h/p", &url));
    HttpRequestOptions options;
    options.content_type = "";
    options.data_length = 3;
    std::string direct;
    std::string proxy;
    ASSERT_TRUE(ComposeRequest(url, "POST", options, RequestForm::kDirect, &direct));
    ASSERT_TRUE(ComposeRequest(url, "POST", options, RequestForm::kProxy, &proxy));
    EXPECT_EQ(direct.substr(0, direct.find("User-Agent")),
              "POST /p HTTP/1.0\r\nContent-Length: 3\r\nHost: h\r\n");
    EXPECT_EQ(proxy.substr(0, proxy.find("User-Agent")),
              "POST http://h/p HTTP/1.0\r\nHost: h\r\nContent-Length: 3\r\nContent-Type: \r\n");
}

}  // namespace
}  // namespace vantrel::http
