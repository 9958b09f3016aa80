// The lab's readers: request heads and the accounts file.
#include "lab/accounts.h"
#include "lab/request.h"

#include <gtest/gtest.h>

namespace vantrel::lab {
namespace {

// What the providers send, directly, through a proxy and through tinyproxy,
// the update scripts pin; these are the forms beside them.
TEST(LabRequest, ReadsBothFormsOfTarget) {
    struct Case {
        const char* head;
        const char* host;
        const char* path;
        const char* query;
        bool proxy_form;
    };
    const Case cases[] = {
        // The Host header's port is ignored, so --connect-to can redirect.
        {"GET /x HTTP/1.0\r\nhost: WWW.Dy.Fi.:8080\r\n\r\n", "www.dy.fi", "/x", "", false},
        // The absolute URL wins over a Host header that disagrees.
        {"GET HTTP://a.test/p HTTP/1.1\r\nHost: b.test\r\n\r\n", "a.test", "/p", "", true},
        {"GET http://user:pw@a.test?q=1 HTTP/1.0\r\n\r\n", "a.test", "/", "q=1", true},
        // Hand-typed, with bare line feeds and no Host.
        {"GET /lab/records HTTP/1.0\n\n", "", "/lab/records", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        ParsedRequest parsed = ParseRequest(c.head);
        ASSERT_TRUE(parsed.request.has_value());
        EXPECT_EQ(parsed.request->method, "GET");
        EXPECT_EQ(parsed.request->host, c.host);
        EXPECT_EQ(parsed.request->path, c.path);
        EXPECT_EQ(parsed.request->query, c.query);
        EXPECT_EQ(parsed.request->proxy_form, c.proxy_form);
    }
}

TEST(LabRequest, RejectsMalformedHeads) {
    struct Case {
        const char* head;
        RequestError error;
    };
    const Case cases[] = {
        {"GET /x\r\n\r\n", RequestError::kBadRequestLine},
        {"GET ftp://a.test/x HTTP/1.0\r\n\r\n", RequestError::kBadTarget},
        {"GET /x HTTP/1.0\r\nno colon\r\n\r\n", RequestError::kBadHeader},
        {"GET /x HTTP/1.0\r\nA: 1\r\n folded\r\n\r\n", RequestError::kBadHeader},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        ParsedRequest parsed = ParseRequest(c.head);
        EXPECT_FALSE(parsed.request.has_value());
        EXPECT_EQ(parsed.error, c.error);
    }
}

TEST(LabRequest, FindsTheEndOfTheHead) {
    EXPECT_EQ(FindHeadEnd("GET / HTTP/1.0\r\n\r\nbody"), 18u);
    EXPECT_EQ(FindHeadEnd("GET / HTTP/1.0\n\nbody"), 16u);
    EXPECT_EQ(FindHeadEnd("GET / HTTP/1.0\r\nHost: a\r\n"), std::nullopt);
}

TEST(LabRequest, ReadsQueryValues) {
    Request request;
    request.query = "hostname=a.test,b.test&offline=yes&x=%41%2c%zz&empty=&bare&x=second";
    EXPECT_EQ(request.QueryValue("hostname"), "a.test,b.test");
    EXPECT_EQ(request.QueryValue("offline"), "yes");
    // The first of two values counts; a broken escape stays as it is.
    EXPECT_EQ(request.QueryValue("x"), "A,%zz");
    EXPECT_EQ(request.QueryValue("empty"), "");
    EXPECT_EQ(request.QueryValue("missing"), std::nullopt);
    EXPECT_EQ(request.QueryValue("Offline"), std::nullopt);
}

TEST(LabRequest, ReadsBasicCredentials) {
    struct Case {
        const char* authorization;  // null: no header
        std::optional<std::string> user;
        std::string password;
    };
    const Case cases[] = {
        {"Basic YWlubzpzYXVuYS1wdw==", "aino", "sauna-pw"},
        {"basic   YWlubzpzYXVuYS1wdw", "aino", "sauna-pw"},  // no padding, lower case
        {"Basic dTpwOnE=", "u", "p:q"},                      // the first colon splits
        {"Basic dXNlcg==", std::nullopt, ""},                // no colon at all
        {"Digest abc", std::nullopt, ""},
        {nullptr, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.authorization ? c.authorization : "(none)");
        Request request;
        if (c.authorization != nullptr) {
            request.headers.push_back({"Authorization", c.authorization});
        }
        std::optional<Credentials> credentials = BasicCredentials(request);
        ASSERT_EQ(credentials.has_value(), c.user.has_value());
        if (credentials) {
            EXPECT_EQ(credentials->user, *c.user);
            EXPECT_EQ(credentials->password, c.password);
        }
    }
}

TEST(LabAccounts, ReadsAccountsAndAliases) {
    ParsedAccounts parsed = ParseAccounts(
        "# comment\n"
        "\n"
        "DyFi user=aino password=pw hosts=Koti.dy.fi,,mokki.dy.fi  # trailing comment\r\n"
        "dipdns key=k1 hosts=a.test\n"
        "alias dyfi 127.0.0.1\n"
        "gnudip user=Gail domain=dip.test password=pw\n");
    ASSERT_TRUE(parsed.book.has_value()) << parsed.error;
    const AccountBook& book = *parsed.book;
    ASSERT_EQ(book.accounts.size(), 3u);
    // A GnuDIP account's host is user.domain.
    EXPECT_EQ(book.accounts[2].hosts, std::vector<std::string>{"gail.dip.test"});
    EXPECT_EQ(book.accounts[0].service, Service::kDyFi);
    EXPECT_EQ(book.accounts[0].user, "aino");
    EXPECT_EQ(book.accounts[0].hosts, (std::vector<std::string>{"koti.dy.fi", "mokki.dy.fi"}));
    ASSERT_EQ(book.aliases.size(), 1u);
    EXPECT_EQ(book.aliases[0].host, "127.0.0.1");

    // Lookups by host, user and key go through the services' tests; an empty
    // user or key finds nobody.
    EXPECT_EQ(book.FindByHost(Service::kDipDns, "koti.dy.fi"), nullptr);
    EXPECT_EQ(book.FindByUser(Service::kDyFi, ""), nullptr);
    EXPECT_EQ(book.FindByKey(Service::kDipDns, ""), nullptr);
}

TEST(LabAccounts, NamesTheBadLine) {
    const char* const kGnuDipNeeds = "a gnudip account needs user= and domain=, and no hosts=";
    struct Case {
        const char* text;
        int line;
        const char* error;
    };
    const Case cases[] = {
        {"nosuch hosts=a", 1, "unknown service \"nosuch\""},
        {"# ok\ndyfi user=a hosts=a.b port=1", 2, "unknown key \"port\""},
        {"dyfi user", 1, "expected key=value, got \"user\""},
        {"dyfi user=a", 1, "an account needs hosts=NAME[,NAME...]"},
        {"alias dyfi", 1, "expected: alias SERVICE HOSTNAME"},
        {"alias nosuch a.test", 1, "expected: alias SERVICE HOSTNAME"},
        {"dyfi user=a hosts=a.b reply=!donator", 1, "no reply \"!donator\" in dyfi's words"},
        {"gnudip user=u password=p", 1, kGnuDipNeeds},
        {"gnudip domain=d password=p", 1, kGnuDipNeeds},
        {"gnudip user=u domain=d hosts=u.d password=p", 1, kGnuDipNeeds},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ParsedAccounts parsed = ParseAccounts(c.text);
        EXPECT_FALSE(parsed.book.has_value());
        EXPECT_EQ(parsed.error_line, c.line);
        EXPECT_EQ(parsed.error, c.error);
    }
}

}  // namespace
}  // namespace vantrel::lab
