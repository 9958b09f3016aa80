#include "lab/accounts.h"

#include <gtest/gtest.h>

namespace vantrel::lab {
namespace {

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
