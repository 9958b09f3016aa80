// Canonicalising, parsing, rebuilding and checking URLs.
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
        {"http://h/$&+,;<=>@[\\]^`{|}\"",
         "http://h/%24%26%2b%2c%3b%3c%3d%3e%40%5b%5c%5d%5e%60%7b%7c%7d%22"},
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

TEST(HttpUrl, Parses) {
    const struct {
        std::string url;
        int scheme;
        const char* host;
        const char* user;
        const char* password;
        const char* path;
        const char* extra;
        uint16_t port;
    } cases[] = {
        {"http://h:8180/nic/update?hostname=x", kSchemeHttp, "h", "", "", "/nic/update",
         "?hostname=x", 8180},
        {"http://h", kSchemeHttp, "h", "", "", "", "", 80},
        {"http://h?x", kSchemeHttp, "h", "", "", "", "?x", 80},
        {"HTTPS://h/p#f", kSchemeHttps, "h", "", "", "/p", "#f", 443},
        {"http://u:p@h/x", kSchemeHttp, "h", "u", "p", "/x", "", 80},
        {"ftp://u@h", kSchemeFtp, "h", "u", "", "", "", 21},
        {"http://u:p%40h/", kSchemeHttp, "u", "", "", "/", "", 0},
        {"http://h:8180?q=1", kSchemeHttp, "h", "", "", "", "", 8180},
        {"http://h:99999/", kSchemeHttp, "h", "", "", "/", "", 34463},
        {"file:///etc/hosts?x", kSchemeFile, "", "", "", "/etc/hosts?x", "", 0},
        {"mailto:a@b", kSchemeMailto, "b", "a", "", "", "", 0},
        {"gopher:/path", kSchemeGopher, "", "", "", "/path", "", 70},
        {"x-own://h/", kSchemeUnknown, "h", "", "", "/", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        ParsedUrl url;
        ASSERT_TRUE(ParseUrl(c.url, &url));
        EXPECT_EQ(url.scheme, c.scheme);
        EXPECT_EQ(url.host, c.host);
        EXPECT_EQ(url.user, c.user);
        EXPECT_EQ(url.password, c.password);
        EXPECT_EQ(url.path, c.path);
        EXPECT_EQ(url.extra, c.extra);
        EXPECT_EQ(url.port, c.port);
    }
}

TEST(HttpUrl, RefusalResetsTheParts) {
    for (const std::string& refused :
         {std::string("mailto://a@b"), std::string("http://a@b@c/"), std::string("http://:p@h/"),
          std::string("no-scheme/x"), std::string("/a:b"), std::string(33, 's') + "://h/",
          "http://" + std::string(257, 'h') + "/", "http://" + std::string(129, 'u') + "@h/",
          "http://h/" + std::string(2048, 'p'), "http://h/?" + std::string(2048, 'q')}) {
        ParsedUrl url;
        ASSERT_TRUE(ParseUrl("https://u:p@h:81/x?y", &url));
        EXPECT_FALSE(ParseUrl(refused, &url)) << refused;
        EXPECT_EQ(url.scheme, kSchemeUnknown) << refused;
        EXPECT_EQ(url.port, 0) << refused;
        EXPECT_TRUE(url.host.empty() && url.scheme_name.empty() && url.user.empty()) << refused;
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

// Refusals are the client's tests.
TEST(HttpUrl, RequestCheckFillsPathAndPort) {
    ParsedUrl url;
    ASSERT_TRUE(ParseUrl("http://h", &url));
    ASSERT_TRUE(CheckRequestUrl(&url, 81));
    EXPECT_EQ(url.path, "/");
    EXPECT_EQ(url.port, 80);
    ASSERT_TRUE(ParseUrl("http://h:0/x", &url));
    ASSERT_TRUE(CheckRequestUrl(&url, 81));
    EXPECT_EQ(url.port, 81);
}

}  // namespace
}  // namespace vantrel::http
