// The service logic without sockets: each reply checked byte for byte and
// read back the way the module's reply parsers read it, so that a success
// reaches status 2 and each refusal status 4.
#include "lab/services.h"
#include "lab/handlers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

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
constexpr const char* kEveWrong = "Basic ZXZlOm5v";    // eve:no

LabState MakeState() {
    return LabState(*ParseAccounts(kAccounts).book);
}

Request MakeRequest(const char* host, const char* target, const char* authorization = nullptr) {
    std::string head = std::string("GET ") + target + " HTTP/1.0\r\nHost: " + host + "\r\n";
    if (authorization != nullptr) {
        head += std::string("Authorization: ") + authorization + "\r\n";
    }
    return *ParseRequest(head + "\r\n").request;
}

// The reply parsers of the providers, reduced to the status they return.
int LinePerHostStatus(const std::string& body, int hosts, std::vector<std::string> errors) {
    std::vector<std::string> words = {"good", "nochg"};
    int status = 1;
    size_t position = 0;
    for (int i = 0; i < hosts && position < body.size() && status != 4; ++i) {
        size_t end = std::min(body.find('\n', position), body.size());
        std::string line = body.substr(position, end - position);
        position = end + 1;
        size_t space = line.find(' ');
        std::string word = space != std::string::npos && space >= 1 ? line.substr(0, space) : line;
        std::transform(word.begin(), word.end(), word.begin(), ::tolower);
        if (std::find(words.begin(), words.end(), word) != words.end()) {
            status = std::max(status, 2);
        } else if (std::find(errors.begin(), errors.end(), word) != errors.end()) {
            status = 4;
        }
    }
    return status;
}

int ProviderStatus(Service service, const Reply& reply, int hosts) {
    const std::string& body = reply.body;
    auto has = [&](const char* phrase) { return body.find(phrase) != std::string::npos; };
    if (reply.status != 200) {
        return 3;  // the HTTP client refuses the reply
    }
    switch (service) {
        case Service::kDipDns: {
            std::string phrase = hosts == 1 ? "Updated 1 hostname"
                                            : "Updated " + std::to_string(hosts) + " hostnames";
            return has(phrase.c_str()) ? 2 : has("Error Occurred") ? 4 : 1;
        }
        case Service::kDnsExit: {
            size_t line_feed = body.find('\n');
            size_t equals = body.find('=', line_feed);
            if (line_feed == std::string::npos || equals == std::string::npos) {
                return 1;
            }
            int code = std::atoi(body.substr(line_feed + 1, equals - line_feed - 1).c_str());
            return code == 0 || code == 1 ? 2 : 4;
        }
        case Service::kDyFi:
            return LinePerHostStatus(body, hosts,
                                     {"badauth", "notfqdn", "nohost", "abuse", "badip", "dnserr"});
        case Service::kDynam:
            // "<br>" is removed first, which cannot create a keyword here.
            return has("Error") || has("Duplicate") ? 4 : has("Update") ? 2 : 1;
        case Service::kDynup:
            return has("Password Incorrect") ? 4 : has("Update complete!") ? 2 : 1;
        case Service::kEuroDynDns:
            return LinePerHostStatus(body, hosts,
                                     {"badsys", "badagent", "badauth", "!donator", "notfqdn",
                                      "nohost", "!yours", "abuse", "numhost", "dnserr", "911"});
    }
    return 1;
}

struct Case {
    const char* name;
    Service service;
    const char* host;  // null: the service's update host
    const char* target;
    const char* authorization;
    int hosts;  // how many host names the provider sent
    int http_status;
    const char* body;
    int provider_status;
};

const Case kCases[] = {
    {"DipDnsOne", Service::kDipDns, nullptr, "/dynamic/upd.php?key=k3y&host=a.dip.test&ip=1.2.3.4",
     nullptr, 1, 200, "Updated 1 hostname\n", 2},
    {"DipDnsThree", Service::kDipDns, nullptr,
     "/dynamic/upd.php?key=k3y&host=a.dip.test,B.dip.test,c.dip.test&ip=1.2.3.4", nullptr, 3, 200,
     "Updated 3 hostnames\n", 2},
    // A name of another key is skipped: the count tells the provider.
    {"DipDnsPartial", Service::kDipDns, nullptr,
     "/dynamic/upd.php?key=k3y&host=a.dip.test,z.dip.test&ip=1.2.3.4", nullptr, 2, 200,
     "Updated 1 hostname\n", 1},
    {"DipDnsWrongKey", Service::kDipDns, nullptr,
     "/dynamic/upd.php?key=nope&host=a.dip.test&ip=1.2.3.4", nullptr, 1, 200,
     "Error Occurred While Processing Request: unknown key\n", 4},
    {"DipDnsUnknownHost", Service::kDipDns, nullptr,
     "/dynamic/upd.php?key=k3y&host=q.dip.test&ip=1.2.3.4", nullptr, 1, 200,
     "Error Occurred While Processing Request: no host name of this key\n", 4},
    {"DipDnsEmptyList", Service::kDipDns, nullptr, "/dynamic/upd.php?key=k3y&host=&ip=1.2.3.4",
     nullptr, 0, 200, "Error Occurred While Processing Request: no host name of this key\n", 4},
    {"DipDnsBadAddress", Service::kDipDns, nullptr,
     "/dynamic/upd.php?key=k3y&host=a.dip.test&ip=1.2.3.400", nullptr, 1, 200,
     "Error Occurred While Processing Request: invalid address\n", 4},

    {"DnsExitSuccess", Service::kDnsExit, nullptr,
     "/RemoteUpdate.sv?login=erin&password=pw&host=erin.exit.test&myip=1.2.3.4", nullptr, 1, 200,
     "DnsExit update\n0=Success", 2},
    {"DnsExitPeerAddress", Service::kDnsExit, nullptr,
     "/RemoteUpdate.sv?login=erin&password=pw&host=erin.exit.test&myip=", nullptr, 1, 200,
     "DnsExit update\n0=Success", 2},
    {"DnsExitWrongPassword", Service::kDnsExit, nullptr,
     "/RemoteUpdate.sv?login=erin&password=no&host=erin.exit.test&myip=1.2.3.4", nullptr, 1, 200,
     "DnsExit update\n2=Invalid password", 4},
    {"DnsExitUnknownLogin", Service::kDnsExit, nullptr,
     "/RemoteUpdate.sv?login=nobody&password=pw&host=erin.exit.test&myip=1.2.3.4", nullptr, 1, 200,
     "DnsExit update\n3=Login not found", 4},
    {"DnsExitUnknownHost", Service::kDnsExit, nullptr,
     "/RemoteUpdate.sv?login=erin&password=pw&host=x.exit.test&myip=1.2.3.4", nullptr, 1, 200,
     "DnsExit update\n4=Host name not in this account", 4},
    {"DnsExitBadAddress", Service::kDnsExit, nullptr,
     "/RemoteUpdate.sv?login=erin&password=pw&host=erin.exit.test&myip=1.2.3", nullptr, 1, 200,
     "DnsExit update\n10=Invalid IP address", 4},

    {"DyFiTwoHosts", Service::kDyFi, nullptr, "/nic/update?hostname=koti.dy.fi,mokki.dy.fi",
     kAinoPw, 2, 200, "good 10.0.0.7\ngood 10.0.0.7\n", 2},
    {"DyFiNoCredentials", Service::kDyFi, nullptr, "/nic/update?hostname=koti.dy.fi", nullptr, 1,
     401, "Authorization required\n", 3},
    {"DyFiWrongPassword", Service::kDyFi, nullptr, "/nic/update?hostname=koti.dy.fi",
     "Basic YWlubzpubw==", 1, 200, "badauth\n", 4},
    {"DyFiForeignAndBadNames", Service::kDyFi, nullptr,
     "/nic/update?hostname=koti.dy.fi,eero.dy.fi,nodot", kAinoPw, 3, 200,
     "good 10.0.0.7\nnohost\nnotfqdn\n", 4},

    {"DynamSuccess", Service::kDynam, nullptr,
     "/update.php?host=dana.dynam.test&login=dana&pass=pw&rmthost=1.2.3.4", nullptr, 1, 200,
     "Update successful: dana.dynam.test now points to 1.2.3.4<br>", 2},
    {"DynamWrongPassword", Service::kDynam, nullptr,
     "/update.php?host=dana.dynam.test&login=dana&pass=no&rmthost=1.2.3.4", nullptr, 1, 200,
     "Error: wrong login or password<br>", 4},
    {"DynamUnknownHost", Service::kDynam, nullptr,
     "/update.php?host=x.dynam.test&login=dana&pass=pw&rmthost=1.2.3.4", nullptr, 1, 200,
     "Error: host name x.dynam.test is not in this account<br>", 4},
    {"DynamBadAddress", Service::kDynam, nullptr,
     "/update.php?host=dana.dynam.test&login=dana&pass=pw&rmthost=a.b.c.d", nullptr, 1, 200,
     "Error: invalid address a.b.c.d<br>", 4},

    {"DynupSuccess", Service::kDynup, nullptr,
     "/update/java.php3?hostname=box.dynup.test&password=pw", nullptr, 1, 200,
     "Update complete! box.dynup.test now points to 10.0.0.7", 2},
    {"DynupByAlias", Service::kDynup, "127.0.0.1",
     "/update/java.php3?hostname=box.dynup.test&password=pw", nullptr, 1, 200,
     "Update complete! box.dynup.test now points to 10.0.0.7", 2},
    {"DynupWrongPassword", Service::kDynup, nullptr,
     "/update/java.php3?hostname=box.dynup.test&password=no", nullptr, 1, 200, "Password Incorrect",
     4},
    {"DynupUnknownHost", Service::kDynup, nullptr,
     "/update/java.php3?hostname=x.dynup.test&password=pw", nullptr, 1, 200, "Password Incorrect",
     4},

    {"EuroTwoHosts", Service::kEuroDynDns, nullptr,
     "/update/?hostname=eve.euro.test,lab.euro.test&myip=1.2.3.4", kEvePw, 2, 200,
     "good 1.2.3.4\ngood 1.2.3.4\n", 2},
    {"EuroWrongPassword", Service::kEuroDynDns, nullptr,
     "/update/?hostname=eve.euro.test&myip=1.2.3.4", kEveWrong, 1, 200, "badauth\n", 4},
    {"EuroForeignHost", Service::kEuroDynDns, nullptr,
     "/update/?hostname=max.euro.test&myip=1.2.3.4", kEvePw, 1, 200, "!yours\n", 4},
    {"EuroUnknownHost", Service::kEuroDynDns, nullptr, "/update/?hostname=x.euro.test&myip=1.2.3.4",
     kEvePw, 1, 200, "nohost\n", 4},
    {"EuroBadAddress", Service::kEuroDynDns, nullptr,
     "/update/?hostname=eve.euro.test&myip=1.2.3.4.5", kEvePw, 1, 200, "dnserr\n", 4},
    {"EuroNoCredentials", Service::kEuroDynDns, nullptr,
     "/update/?hostname=eve.euro.test&myip=1.2.3.4", nullptr, 1, 401, "Authorization required\n",
     3},
};

TEST(LabServices, AnswerInEachServiceVocabulary) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        LabState state = MakeState();
        const char* host = c.host ? c.host : InfoOf(c.service).update_host;
        Reply reply = Dispatch(MakeRequest(host, c.target, c.authorization), kPeer, state);
        EXPECT_EQ(reply.status, c.http_status);
        EXPECT_EQ(reply.body, c.body);
        EXPECT_EQ(ProviderStatus(c.service, reply, c.hosts), c.provider_status);
    }
}

TEST(LabServices, RoutesByHostThenPath) {
    struct Route {
        const char* host;
        const char* target;
        int status;
        const char* body;
    };
    const Route routes[] = {
        {"unknown.test", "/nic/update", 404, "no service answers for host \"unknown.test\"\n"},
        {"", "/nic/update", 404, "no service answers for host \"\"\n"},
        {InfoOf(Service::kDyFi).update_host, "/update/", 404, "dyfi has no page /update/\n"},
        {InfoOf(Service::kDyFi).update_host, "/lab/nothing", 404,
         "no such lab page: /lab/nothing\n"},
    };
    for (const Route& r : routes) {
        SCOPED_TRACE(r.target);
        LabState state = MakeState();
        Reply reply = Dispatch(MakeRequest(r.host, r.target), kPeer, state);
        EXPECT_EQ(reply.status, r.status);
        EXPECT_EQ(reply.body, r.body);
    }
    LabState state = MakeState();
    Reply post =
        Dispatch(*ParseRequest("POST /nic/update HTTP/1.0\r\nHost: www.dy.fi\r\n\r\n").request,
                 kPeer, state);
    EXPECT_EQ(post.status, 405);
}

TEST(LabServices, RepeatsAreReportedAsUnchanged) {
    LabState state = MakeState();
    auto send = [&](const char* host, const char* target, const char* authorization = nullptr) {
        return Dispatch(MakeRequest(host, target, authorization), kPeer, state).body;
    };
    const char* dnsexit =
        "/RemoteUpdate.sv?login=erin&password=pw&host=erin.exit.test&myip=1.2.3.4";
    send(InfoOf(Service::kDnsExit).update_host, dnsexit);
    EXPECT_EQ(send(InfoOf(Service::kDnsExit).update_host, dnsexit),
              "DnsExit update\n1=IP address not changed");

    const char* dynam = "/update.php?host=dana.dynam.test&login=dana&pass=pw&rmthost=1.2.3.4";
    send(InfoOf(Service::kDynam).update_host, dynam);
    EXPECT_EQ(send(InfoOf(Service::kDynam).update_host, dynam),
              "Duplicate update: dana.dynam.test already points to 1.2.3.4<br>");

    const char* euro = "/update/?hostname=eve.euro.test&myip=1.2.3.4";
    send(InfoOf(Service::kEuroDynDns).update_host, euro, kEvePw);
    EXPECT_EQ(send(InfoOf(Service::kEuroDynDns).update_host, euro, kEvePw), "nochg 1.2.3.4\n");
    EXPECT_EQ(state.records.Find(Service::kEuroDynDns, "eve.euro.test")->updates, 2);
}

TEST(LabServices, DyFiOfflineFlagIsRecorded) {
    LabState state = MakeState();
    auto update = [&](const char* target) {
        return Dispatch(MakeRequest(InfoOf(Service::kDyFi).update_host, target, kAinoPw), kPeer,
                        state)
            .body;
    };
    EXPECT_EQ(update("/nic/update?hostname=koti.dy.fi"), "good 10.0.0.7\n");
    EXPECT_EQ(update("/nic/update?hostname=koti.dy.fi&offline=yes"), "good 10.0.0.7\n");
    EXPECT_TRUE(state.records.Find(Service::kDyFi, "koti.dy.fi")->offline);
    EXPECT_EQ(update("/nic/update?hostname=koti.dy.fi&offline=yes"), "nochg 10.0.0.7\n");
    // Any other value is an ordinary update that brings the host back.
    EXPECT_EQ(update("/nic/update?hostname=koti.dy.fi&offline=no"), "good 10.0.0.7\n");
    EXPECT_FALSE(state.records.Find(Service::kDyFi, "koti.dy.fi")->offline);
}

TEST(LabServices, DipDnsUpdatesOnlyTheKeysHosts) {
    LabState state = MakeState();
    Dispatch(MakeRequest(InfoOf(Service::kDipDns).update_host,
                         "/dynamic/upd.php?key=k3y&host=a.dip.test,z.dip.test&ip=5.6.7.8"),
             kPeer, state);
    EXPECT_EQ(state.records.Find(Service::kDipDns, "a.dip.test")->address, "5.6.7.8");
    EXPECT_EQ(state.records.Find(Service::kDipDns, "z.dip.test")->address, "");
    EXPECT_EQ(state.records.Find(Service::kDipDns, "b.dip.test")->updates, 0);
}

TEST(LabServices, DottedAddresses) {
    const std::pair<const char*, bool> cases[] = {
        {"1.2.3.4", true}, {"255.255.255.255", true}, {"0.0.0.0", true},   {"256.1.1.1", false},
        {"1.2.3", false},  {"1.2.3.4.", false},       {"1..3.4", false},   {"0001.2.3.4", false},
        {"", false},       {"a.b.c.d", false},        {"1.2.3.4 ", false},
    };
    for (const auto& [text, valid] : cases) {
        EXPECT_EQ(IsDottedIpv4(text), valid) << text;
    }
}

TEST(LabReply, SerializesWithLengthAndClose) {
    Reply reply = TextReply(401, "no\n");
    reply.headers.push_back({"WWW-Authenticate", "Basic realm=\"x\""});
    EXPECT_EQ(SerializeReply(reply),
              "HTTP/1.0 401 Unauthorized\r\nContent-Type: text/plain\r\nContent-Length: 3\r\n"
              "Connection: close\r\nWWW-Authenticate: Basic realm=\"x\"\r\n\r\nno\n");
}

}  // namespace
}  // namespace vantrel::lab
