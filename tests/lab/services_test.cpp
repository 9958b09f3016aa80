// The service logic without sockets: each reply checked byte for byte in the
// vocabulary the providers' reply parsers read. GnuDIP updates through the
// providers, and the records they leave, are the GnuDIP update script's.
#include "lab/services.h"
#include "lab/gnudip.h"
#include "lab/handlers.h"

#include <gtest/gtest.h>

#include <regex>

namespace vantrel::lab {
namespace {

constexpr const char* kAccounts =
    "dipdns     key=k3y hosts=a.dip.test,b.dip.test,c.dip.test\n"
    "dipdns     key=other hosts=z.dip.test\n"
    "dnsexit    user=erin password=pw hosts=erin.exit.test\n"
    "dyfi       user=aino password=pw hosts=koti.dy.fi,mokki.dy.fi\n"
    "dyfi       user=eero password=pw2 hosts=eero.dy.fi\n"
    "dynam      user=dana password=pw hosts=dana.dynam.test\n"
    "dynup      password=pw hosts=box.dynup.test\n"
    "eurodyndns user=eve password=pw hosts=eve.euro.test,lab.euro.test\n"
    "eurodyndns user=max password=pw hosts=max.euro.test\n"
    "alias dynup 127.0.0.1\n"
    "gnudip     user=gail domain=dip.test password=pw\n"
    "gnudip     user=gail domain=other.test password=pw2\n";

constexpr const char* kPeer = "10.0.0.7";
constexpr const char* kAinoPw = "Basic YWlubzpwdw==";  // aino:pw
constexpr const char* kEvePw = "Basic ZXZlOnB3";       // eve:pw

// The update path each provider sends to, in Service order.
constexpr const char* kPaths[] = {"/dynamic/upd.php?", "/RemoteUpdate.sv?",  "/nic/update?",
                                  "/update.php?",      "/update/java.php3?", "/update/?"};

Request MakeRequest(std::string_view host, const std::string& target,
                    const char* authorization = nullptr) {
    std::string head = "GET " + target + " HTTP/1.0\r\nHost: " + std::string(host) + "\r\n";
    if (authorization != nullptr) {
        head += std::string("Authorization: ") + authorization + "\r\n";
    }
    return *ParseRequest(head + "\r\n").request;
}

Request GnuDipRequest(const std::string& query) {
    return MakeRequest(InfoOf(Service::kGnuDip).update_host, kGnuDipPath + query);
}

// Sends an update request (the service's path and `query`) to `state`.
Reply Update(LabState& state, Service service, const char* query,
             const char* authorization = nullptr, const char* host = nullptr) {
    std::string target = kPaths[static_cast<int>(service)] + std::string(query);
    return Dispatch(MakeRequest(host ? host : InfoOf(service).update_host, target, authorization),
                    kPeer, state);
}

// Routing by host, then path; and the address page a watching host reads,
// which a test moves with ?set=.
TEST(LabServices, RoutesAndTheAddressPage) {
    const char* dyfi = InfoOf(Service::kDyFi).update_host;
    const struct {
        const char* host;
        const char* target;
        int status;
        const char* body;
    } steps[] = {
        {"unknown.test", "/nic/update", 404, "no service answers for host \"unknown.test\"\n"},
        {dyfi, "/update/", 404, "dyfi has no page /update/\n"},
        {dyfi, "/lab/nothing", 404, "no such lab page: /lab/nothing\n"},
        {"any.test", "/lab/myip?set=198.51.100.300", 400, "set wants a dotted IPv4 address\n"},
        // A refused set leaves the page at the peer's address.
        {"any.test", "/lab/myip", 200, "10.0.0.7\n"},
    };
    LabState state(*ParseAccounts(kAccounts).book);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.target);
        Reply reply = Dispatch(MakeRequest(step.host, step.target), kPeer, state);
        EXPECT_EQ(reply.status, step.status);
        EXPECT_EQ(reply.body, step.body);
    }
    Reply post =
        Dispatch(*ParseRequest("POST /nic/update HTTP/1.0\r\nHost: www.dy.fi\r\n\r\n").request,
                 kPeer, state);
    EXPECT_EQ(post.status, 405);
}

// One lab answering in turn, so repeats and offline flags build on the
// rows before them.
TEST(LabServices, AnswerInEachServiceVocabularyAndKeepRecords) {
    const struct {
        Service service;
        const char* query;
        const char* authorization;
        int http_status;
        const char* body;
        const char* host = nullptr;  // null: the service's update host
    } steps[] = {
        // A name of another key is skipped: the count tells the provider.
        {Service::kDipDns, "key=k3y&host=a.dip.test,z.dip.test&ip=5.6.7.8", nullptr, 200,
         "Updated 1 hostname\n"},
        {Service::kDipDns, "key=nope&host=a.dip.test&ip=1.2.3.4", nullptr, 200,
         "Error Occurred While Processing Request: unknown key\n"},
        {Service::kDipDns, "key=k3y&host=q.dip.test&ip=1.2.3.4", nullptr, 200,
         "Error Occurred While Processing Request: no host name of this key\n"},
        {Service::kDipDns, "key=k3y&host=a.dip.test&ip=1.2.3.400", nullptr, 200,
         "Error Occurred While Processing Request: invalid address\n"},
        {Service::kDnsExit, "login=erin&password=pw&host=erin.exit.test&myip=1.2.3.4", nullptr, 200,
         "DnsExit update\n0=Success"},
        {Service::kDnsExit, "login=erin&password=pw&host=erin.exit.test&myip=1.2.3.4", nullptr, 200,
         "DnsExit update\n1=IP address not changed"},
        {Service::kDnsExit, "login=erin&password=no&host=erin.exit.test&myip=1.2.3.4", nullptr, 200,
         "DnsExit update\n2=Invalid password"},
        {Service::kDnsExit, "login=nobody&password=pw&host=erin.exit.test&myip=1.2.3.4", nullptr,
         200, "DnsExit update\n3=Login not found"},
        {Service::kDnsExit, "login=erin&password=pw&host=x.exit.test&myip=1.2.3.4", nullptr, 200,
         "DnsExit update\n4=Host name not in this account"},
        {Service::kDnsExit, "login=erin&password=pw&host=erin.exit.test&myip=1.2.3", nullptr, 200,
         "DnsExit update\n10=Invalid IP address"},
        {Service::kDyFi, "hostname=koti.dy.fi", nullptr, 401, "Authorization required\n"},
        {Service::kDyFi, "hostname=koti.dy.fi", "Basic YWlubzpubw==", 200, "badauth\n"},
        {Service::kDyFi, "hostname=koti.dy.fi,eero.dy.fi,nodot", kAinoPw, 200,
         "good 10.0.0.7\nnohost\nnotfqdn\n"},
        // Going offline is a change; staying offline is not; any other value
        // is an ordinary update that brings the host back.
        {Service::kDyFi, "hostname=koti.dy.fi&offline=yes", kAinoPw, 200, "good 10.0.0.7\n"},
        {Service::kDyFi, "hostname=koti.dy.fi&offline=yes", kAinoPw, 200, "nochg 10.0.0.7\n"},
        {Service::kDyFi, "hostname=koti.dy.fi&offline=no", kAinoPw, 200, "good 10.0.0.7\n"},
        {Service::kDyFi, "hostname=koti.dy.fi&offline=yes", kAinoPw, 200, "good 10.0.0.7\n"},
        // The name as the account stores it: "Error" in a name is no refusal.
        {Service::kDynam, "host=DANA.Dynam.test&login=dana&pass=pw&rmthost=1.2.3.4", nullptr, 200,
         "Update successful: dana.dynam.test now points to 1.2.3.4<br>"},
        {Service::kDynam, "host=dana.dynam.test&login=dana&pass=pw&rmthost=1.2.3.4", nullptr, 200,
         "Duplicate update: dana.dynam.test already points to 1.2.3.4<br>"},
        {Service::kDynam, "host=dana.dynam.test&login=dana&pass=no&rmthost=1.2.3.4", nullptr, 200,
         "Error: wrong login or password<br>"},
        {Service::kDynam, "host=x.dynam.test&login=dana&pass=pw&rmthost=1.2.3.4", nullptr, 200,
         "Error: host name x.dynam.test is not in this account<br>"},
        {Service::kDynam, "host=dana.dynam.test&login=dana&pass=pw&rmthost=a.b.c.d", nullptr, 200,
         "Error: invalid address a.b.c.d<br>"},
        // An alias line adds a name the service answers for.
        {Service::kDynup, "hostname=box.dynup.test&password=no", nullptr, 200, "Password Incorrect",
         "127.0.0.1"},
        {Service::kEuroDynDns, "hostname=eve.euro.test,lab.euro.test&myip=1.2.3.4", kEvePw, 200,
         "good 1.2.3.4\ngood 1.2.3.4\n"},
        {Service::kEuroDynDns, "hostname=eve.euro.test&myip=1.2.3.4", kEvePw, 200,
         "nochg 1.2.3.4\n"},
        {Service::kEuroDynDns, "hostname=eve.euro.test&myip=1.2.3.4", "Basic ZXZlOm5v", 200,
         "badauth\n"},
        {Service::kEuroDynDns, "hostname=max.euro.test&myip=1.2.3.4", kEvePw, 200, "!yours\n"},
        {Service::kEuroDynDns, "hostname=x.euro.test&myip=1.2.3.4", kEvePw, 200, "nohost\n"},
        {Service::kEuroDynDns, "hostname=eve.euro.test&myip=1.2.3.4.5", kEvePw, 200, "dnserr\n"},
    };
    LabState state(*ParseAccounts(kAccounts).book);
    for (const auto& c : steps) {
        SCOPED_TRACE(std::string(InfoOf(c.service).name) + " " + c.query);
        Reply reply = Update(state, c.service, c.query, c.authorization, c.host);
        EXPECT_EQ(reply.status, c.http_status);
        EXPECT_EQ(reply.body, c.body);
    }
    EXPECT_EQ(state.records.Find(Service::kEuroDynDns, "eve.euro.test")->updates, 2);
    EXPECT_TRUE(state.records.Find(Service::kDyFi, "koti.dy.fi")->offline);
    EXPECT_EQ(state.records.Find(Service::kDipDns, "a.dip.test")->address, "5.6.7.8");
    EXPECT_EQ(state.records.Find(Service::kDipDns, "z.dip.test")->address, "");
}

// md5hex(md5hex("pw") ".abcdefghij"), computed independently.
constexpr const char* kDigest = "36e5bcc626f84ea007dc3664e038d3cf";
constexpr const char* kSalt = "abcdefghij";

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
        {good + "0:192.0.2", "1\n"},
        {good + "3", "1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        LabState state(*ParseAccounts(kAccounts).book);
        EXPECT_EQ(AnswerGnuDipLine(c.line, kSalt, kPeer, state), c.reply);
    }
}

std::string MetaOf(const std::string& page, const std::string& name) {
    std::smatch match;
    std::regex tag("name=\"" + name + "\" content=\"([^\"]*)\"");
    return std::regex_search(page, match, tag) ? match[1].str() : "(none)";
}

// The second request must bring back the first page's salt, time and sign
// unchanged, within 60 s.
TEST(LabGnuDip, HttpFormChecksSignAndAge) {
    LabState state(*ParseAccounts(kAccounts).book);
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
    auto second = [&](const std::string& signature) {
        return Dispatch(GnuDipRequest("?salt=" + salt + "&time=" + time + "&sign=" + signature +
                                      "&user=gail&domn=dip.test&pass=" + digest +
                                      "&reqc=0&addr=192.0.2.9"),
                        kPeer, state)
            .body;
    };
    now += 60;
    EXPECT_EQ(MetaOf(second(sign), "retc"), "0");
    EXPECT_EQ(MetaOf(second(Md5Hex("forged")), "retc"), "1");
    now += 1;
    EXPECT_EQ(MetaOf(second(sign), "retc"), "1");
}

}  // namespace
}  // namespace vantrel::lab
