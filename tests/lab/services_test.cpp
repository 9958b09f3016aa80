// The service logic without sockets: each reply checked byte for byte in the
// vocabulary the providers' reply parsers read.
#include "lab/services.h"
#include "lab/handlers.h"

#include <gtest/gtest.h>

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
    "alias dynup 127.0.0.1\n";

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
        {"any.test", "/lab/myip", 200, "10.0.0.7\n"},
        {"any.test", "/lab/myip?set=198.51.100.9", 200, "198.51.100.9\n"},
        {"any.test", "/lab/myip", 200, "198.51.100.9\n"},
        {"any.test", "/lab/myip?set=198.51.100.300", 400, "set wants a dotted IPv4 address\n"},
        {"any.test", "/lab/myip", 200, "198.51.100.9\n"},
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
        {Service::kDipDns, "key=k3y&host=a.dip.test,B.dip.test,c.dip.test&ip=1.2.3.4", nullptr, 200,
         "Updated 3 hostnames\n"},
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
        {Service::kDynup, "hostname=box.dynup.test&password=pw", nullptr, 200,
         "Update complete! box.dynup.test now points to 10.0.0.7", "127.0.0.1"},
        {Service::kDynup, "hostname=box.dynup.test&password=no", nullptr, 200,
         "Password Incorrect"},
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

}  // namespace
}  // namespace vantrel::lab
