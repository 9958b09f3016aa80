// The lab's GnuDIP server without sockets: the TCP form's reply lines and
// the HTTP form's sign and age checks. Updates and refusals through the
// providers, and the records they leave, are the GnuDIP update script's.
#include "lab/gnudip.h"
#include "lab/services.h"

#include <gtest/gtest.h>

#include <regex>

namespace vantrel::lab {
namespace {

constexpr const char* kAccounts =
    "gnudip user=gail domain=dip.test password=pw\n"
    "gnudip user=gail domain=other.test password=pw2\n";
constexpr const char* kPeer = "10.0.0.7";
// md5hex(md5hex("pw") ".abcdefghij"), computed independently.
constexpr const char* kDigest = "36e5bcc626f84ea007dc3664e038d3cf";
constexpr const char* kSalt = "abcdefghij";

LabState MakeState() {
    return LabState(*ParseAccounts(kAccounts).book);
}

TEST(LabGnuDip, TcpReplyLines) {
    const std::string good = std::string("gail:") + kDigest + ":dip.test:";
    const struct {
        std::string line;
        const char* reply;
    } cases[] = {
        {good + "0:192.0.2.1\r", "0\n"},
        {good + "2", "0:10.0.0.7\n"},
        {std::string("gail:") + kDigest + ":other.test:0:192.0.2.1", "1\n"},
        {std::string("nobody:") + kDigest + ":dip.test:1", "1\n"},
        {good + "0", "1\n"},
        {good + "1:192.0.2.1", "1\n"},
        {good + "0:192.0.2", "1\n"},
        {good + "3", "1\n"},
        {"", "1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        LabState state = MakeState();
        EXPECT_EQ(AnswerGnuDipLine(c.line, kSalt, kPeer, state), c.reply);
    }
}

Request GnuDipRequest(const std::string& query) {
    std::string head =
        std::string("GET ") + kGnuDipPath + query + " HTTP/1.0\r\nHost: gnudip.linuxrc.net\r\n\r\n";
    return *ParseRequest(head).request;
}

std::string MetaOf(const std::string& page, const std::string& name) {
    std::smatch match;
    std::regex tag("name=\"" + name + "\" content=\"([^\"]*)\"");
    return std::regex_search(page, match, tag) ? match[1].str() : "(none)";
}

// The second request must bring back the first page's salt, time and sign
// unchanged, within 60 s.
TEST(LabGnuDip, HttpFormChecksSignAndAge) {
    LabState state = MakeState();
    int64_t now = 1700000000;
    state.clock = [&now] { return now; };
    Reply first = Dispatch(GnuDipRequest(""), kPeer, state);
    ASSERT_EQ(first.status, 200);
    const std::string salt = MetaOf(first.body, "salt");
    const std::string time = MetaOf(first.body, "time");
    const std::string sign = MetaOf(first.body, "sign");
    EXPECT_EQ(salt.size(), 10u);
    EXPECT_EQ(time, "1700000000");
    const std::string digest = Md5Hex(Md5Hex("pw") + "." + salt);
    auto second = [&](const std::string& signature, const std::string& reqc) {
        return Dispatch(GnuDipRequest("?salt=" + salt + "&time=" + time + "&sign=" + signature +
                                      "&user=gail&domn=dip.test&pass=" + digest + "&reqc=" + reqc +
                                      "&addr=192.0.2.9"),
                        kPeer, state)
            .body;
    };
    now += 60;
    EXPECT_EQ(MetaOf(second(sign, "0"), "retc"), "0");
    EXPECT_EQ(MetaOf(second(Md5Hex("forged"), "0"), "retc"), "1");
    now += 1;
    EXPECT_EQ(MetaOf(second(sign, "0"), "retc"), "1");
}

}  // namespace
}  // namespace vantrel::lab
