// LinuxRC and Generic GnuDIP2 against a scripted loopback peer: the exact
// bytes of both forms on the wire, the answers and broken exchanges that
// decide the outcome, and the bounds of every wait.
// The POSIX socket calls below need the VT_ names only.
#define VT_WINSOCK_NO_SHORT_NAMES
#include "loopback_server.h"
#include "providers/classes.h"
#include "providers/gnudip/gnudip_tcp_client.h"
#include "providers/gnudip/linuxrc_server.h"
#include "updater_fixture.h"

#include <platform/winsock.h>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::test {
namespace {

using namespace std::chrono_literals;
using vantrel::testing::LoopbackServer;
using vantrel::testing::Script;
namespace peer = vantrel::testing;

constexpr SHORT kGood = VANTREL_STATUS_ACCEPTED;
constexpr SHORT kNotDone = VANTREL_STATUS_NOT_DONE;

const std::string kUser = "u1";
const std::string kDomain = "dom.test";
const std::string kPassword = "s3cret!";
const char kAddress[] = "192.0.2.7";
// md5hex(md5hex("s3cret!") "." salt), computed independently.
const std::string kDigestOfTenLetters = "f1cfb6ecc979ba9ac8d2d220f6a5cec4";  // "abcdefghij"
const std::string kDigestOfAbcCr = "67019cbf66d04ed507a310fac079bff2";       // "abc\r"

BlobFields Generic(int32_t request, int32_t transport, const std::string& server, uint16_t port,
                   const std::string& url) {
    return [=](BlobWriter& w) {
        w.CountedText(kUser);
        w.CountedText(kDomain);
        w.CountedText(kPassword);
        w.Integer(request);
        w.Integer(transport);
        w.BareText(server);
        w.ShortInteger(port);
        w.BareText(url);
    };
}

BlobFields GenericTcp(int32_t request, uint16_t port) {
    return Generic(request, 0, "127.0.0.1", port, "");
}

// The TCP form's server: a salt line, the request line, a reply line.
Script TcpPeer(const std::string& salt_line, const std::string& reply) {
    return {peer::Send(salt_line), peer::ReadLine(), peer::Send(reply), peer::CloseConnection()};
}

// LinuxRC with its server routed to the peer, or Generic GnuDIP2's TCP
// form with the peer as its server.
ComPtr<IIPUpdate> TcpUpdater(bool linuxrc, int32_t request, uint16_t port) {
    ComPtr<IIPUpdate> updater = MakeUpdater(linuxrc ? kGnuDIP2ObjClass : kGenGnuDIPObjClass);
    VtResolverClearConnectTo();
    if (linuxrc) {
        EXPECT_EQ(VtResolverAddConnectTo(kLinuxRcServerHost, kLinuxRcServerPort, "127.0.0.1", port),
                  0);
        GiveSettings(updater.Get(), Texts({kUser, kDomain, kPassword}));
    } else {
        GiveSettings(updater.Get(), GenericTcp(request, port));
    }
    return updater;
}

struct Outcome {
    SHORT status;
    std::string message;
    HRESULT hr;
};

const Outcome kUpdated{kGood, "Successfully updated to new IP address for u1", S_OK};
const Outcome kRefused{kNotDone, "Invalid login attempt for u1", E_FAIL};
const Outcome kNone{kNotDone, "", E_FAIL};

void ExpectOutcome(const RunResult& run, const Outcome& expected) {
    EXPECT_EQ(run.status, expected.status);
    EXPECT_EQ(run.message, expected.message);
    EXPECT_EQ(run.hr, expected.hr);
}

// The request line of each code, as a LinuxRC or Generic GnuDIP2 update
// sends it (LF only, the address with code 0 only), and the replies and
// broken exchanges that decide the outcome. The salt is the first ten
// characters of its line, CR included when the line is shorter; a line
// may come in pieces.
TEST(GnuDipTcp, RequestLinesAndOutcomes) {
    const auto line = [](const std::string& digest, const std::string& tail) {
        return kUser + ":" + digest + ":" + kDomain + tail;
    };
    const std::string code0 = line(kDigestOfTenLetters, ":0:192.0.2.7\n");
    const std::string code1 = line(kDigestOfTenLetters, ":1\n");
    const std::string salt = "abcdefghij\n";
    const Outcome offline{kGood, "Offline request successful for u1", S_OK};
    const Outcome invalid{kNotDone, "Invalid login! Verify your hostname and/or password!", E_FAIL};
    const Script pieces = {peer::Trickle(salt, 3, 20ms), peer::ReadLine(), peer::Send("2\n"),
                           peer::CloseConnection()};
    const Script salt_only = {peer::Send(salt), peer::CloseConnection()};
    const Script no_reply = {peer::Send(salt), peer::ReadLine(), peer::CloseConnection()};
    const struct {
        const char* name;
        bool linuxrc;
        int32_t request;
        Script script;
        Outcome outcome;
        std::string line;
    } cases[] = {
        {"LinuxRC", true, 0, TcpPeer(salt, "0\n"), {kGood, "Successful update!", S_OK}, code0},
        {"code 0", false, 0, TcpPeer(salt, "0\n"), kUpdated, code0},
        {"code 2", false, 2, TcpPeer(salt, "0:198.51.100.9\n"), kUpdated,
         line(kDigestOfTenLetters, ":2\n")},
        {"LinuxRC refused", true, 0, TcpPeer(salt, "1\n"), invalid, code0},
        {"empty reply line", false, 0, TcpPeer(salt, "\n"), kRefused, code0},
        {"0 to code 1", false, 1, TcpPeer(salt, "0\n"), kRefused, code1},
        {"salt of 3 and CR", false, 1, TcpPeer("abc\r\n", "2\n"), offline,
         line(kDigestOfAbcCr, ":1\n")},
        {"salt line of 99", false, 1, TcpPeer("abcdefghij" + std::string(89, 'k') + "\n", "2\n"),
         offline, code1},
        {"salt in pieces", false, 1, pieces, offline, code1},
        {"100 bytes without LF", false, 0, TcpPeer(std::string(100, 's'), "0\n"), kNone, ""},
        {"close after the salt", false, 0, salt_only, kNone, ""},
        {"close without a reply", false, 0, no_reply, kNone, code0},
        {"close mid-reply", false, 0, TcpPeer(salt, "0"), kNone, code0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server({c.script});
        ComPtr<IIPUpdate> updater = TcpUpdater(c.linuxrc, c.request, server.Port());
        ExpectOutcome(RunUpdate(updater.Get(), kAddress), c.outcome);
        EXPECT_EQ(server.Received(), std::vector<std::string>{c.line});
    }
}

// Settings the page cannot produce send nothing; settings never
// configured fail to connect. The proxy is for the HTTP form only.
TEST(GnuDipTcp, WhatGenericGnuDip2NeverSends) {
    LoopbackServer server({TcpPeer("abcdefghij\n", "0\n")});
    const struct {
        const char* name;
        BlobFields settings;
    } cases[] = {
        {"request code 3", GenericTcp(3, server.Port())},
        {"request code -1", GenericTcp(-1, server.Port())},
        {"transport 2", Generic(0, 2, "127.0.0.1", server.Port(), "http://127.0.0.1/")},
        {"no server", Generic(0, 0, "", 0, "")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IIPUpdate> updater = MakeUpdater(kGenGnuDIPObjClass);
        GiveSettings(updater.Get(), c.settings);
        ExpectOutcome(RunUpdate(updater.Get(), kAddress), kNone);
    }
    EXPECT_EQ(server.Connections(), 0);

    ComPtr<IIPUpdate> updater = MakeUpdater(kGenGnuDIPObjClass);
    GiveSettings(updater.Get(), GenericTcp(0, server.Port()));
    GiveProxy(updater.Get(), "127.0.0.1:1");
    EXPECT_EQ(RunUpdate(updater.Get(), kAddress).status, kGood);
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A listener that never accepts, its backlog filled: a connect to it hangs.
class FullBacklog {
public:
    FullBacklog() {
        m_listen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_listen, 0);
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        for (int& fill : m_fill) {
            fill = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            connect(fill, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
    }
    ~FullBacklog() {
        for (int fd : {m_fill[0], m_fill[1], m_fill[2], m_listen}) {
            close(fd);
        }
    }
    uint16_t Port() const { return m_port; }

private:
    int m_listen = -1;
    int m_fill[3] = {-1, -1, -1};
    uint16_t m_port = 0;
};

// A connect that hangs ends after 10 s; a server that never sends, and one
// that sends half a salt line and stalls, end the exchange 15 s (three
// waits of 5 s) after their last byte. All sleep meanwhile, and run at once
// to keep the test short.
TEST(GnuDipTcp, EveryWaitIsBoundedAndBurnsNoCpu) {
    FullBacklog hanging;
    LoopbackServer silent({{peer::Pause(30s)}});
    LoopbackServer stalling({{peer::Trickle("abcde", 1, 200ms), peer::Pause(30s)}});
    const double cpu_before = CpuSeconds();
    auto run = [](uint16_t port, std::chrono::duration<double>* took) {
        auto start = std::chrono::steady_clock::now();
        gnudip::GnuDIPTcpClient client("127.0.0.1", port);
        client.Set(Text(kUser), Text(kPassword), Text(kDomain), kAddress,
                   gnudip::RequestCode::kUpdate);
        gnudip::Verdict verdict = gnudip::Verdict::kAccepted;
        EXPECT_FALSE(client.Run(verdict));
        EXPECT_EQ(verdict, gnudip::Verdict::kNone);
        *took = std::chrono::steady_clock::now() - start;
    };
    std::chrono::duration<double> took[3] = {};
    std::thread runs[] = {std::thread(run, hanging.Port(), &took[0]),
                          std::thread(run, silent.Port(), &took[1]),
                          std::thread(run, stalling.Port(), &took[2])};
    for (std::thread& r : runs)
        r.join();
    EXPECT_GE(took[0].count(), 9.9);
    EXPECT_LT(took[0].count(), 12.0);
    EXPECT_GE(took[1].count(), 14.9);
    EXPECT_LT(took[1].count(), 17.0);
    // The last of five bytes comes 0.8 s in.
    EXPECT_GE(took[2].count(), 15.7);
    EXPECT_LT(took[2].count(), 18.0);
    EXPECT_LT(CpuSeconds() - cpu_before, 0.5);
}

// The HTTP form's pages: the first hands out salt, time and sign.
std::string Page(const std::string& meta, const std::string& status = "HTTP/1.0 200 OK") {
    const std::string body = "<html><head>" + meta + "</head></html>";
    return status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}
const std::string kFirstPage = Page(R"(<meta name="salt" content="abcdefghij">)"
                                    R"(<meta name="time" content="1700000000">)"
                                    R"(<meta name="sign" content="s1gn">)");
std::string ReturnPage(const std::string& retc) {
    return Page(R"(<meta name="retc" content=")" + retc + R"(">)");
}

Script HttpPeer(const std::string& page) {
    return {peer::ReadRequest(), peer::Send(page), peer::CloseConnection()};
}

std::string FirstLine(const std::string& request) {
    return request.substr(0, request.find("\r\n"));
}

// Both requests of each code (the query is appended with "?" even to a URL
// that has one), and the return codes and pages that end the exchange. The
// password never travels.
TEST(GnuDipHttp, RequestsAndOutcomes) {
    const std::string tail = "?salt=abcdefghij&time=1700000000&sign=s1gn&user=u1&domn=dom.test" +
                             ("&pass=" + kDigestOfTenLetters) + "&reqc=";
    const std::string u = "http://gnudip.test/u";
    const std::vector<std::string> both = {"/u", "/u" + tail + "0&addr=192.0.2.7"};
    const std::vector<std::string> one = {"/u"};
    const std::vector<std::string> with_query = {"/u?x=1", "/u?x=1" + tail + "2"};
    const std::string first = kFirstPage;
    const std::string salt_a = R"(<meta name="salt" content="a">)";
    const std::string no_sign = Page(salt_a + R"(<meta name="time" content="1">)");
    const std::string quote_late = Page(R"(<meta name="salt" content="a><meta name="time" )"
                                        R"(content="1"><meta name="sign" content="s">)");
    const std::string not_found = Page(salt_a, "HTTP/1.0 404 Not Found");
    const struct {
        const char* name;
        int32_t request;
        std::string url;
        std::string first;
        std::string second;
        Outcome outcome;
        std::vector<std::string> paths;
    } cases[] = {
        {"code 0", 0, u, first, ReturnPage("0"), kUpdated, both},
        {"URL with a query", 2, u + "?x=1", first, ReturnPage("0"), kUpdated, with_query},
        {"retc 00", 0, u, first, ReturnPage("00"), kRefused, both},
        {"empty retc", 0, u, first, ReturnPage(""), kNone, both},
        {"no retc", 0, u, first, Page("<p>done</p>"), kNone, both},
        {"second page not 200", 0, u, first, ReturnPage("0").replace(9, 6, "500 No"), kNone, both},
        {"no sign", 0, u, no_sign, "", kNone, one},
        {"quote after the next >", 0, u, quote_late, "", kNone, one},
        {"first page 404", 0, u, not_found, "", kNone, one},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server({HttpPeer(c.first), HttpPeer(c.second)});
        VtResolverClearConnectTo();
        ASSERT_EQ(VtResolverAddConnectTo("gnudip.test", 80, "127.0.0.1", server.Port()), 0);
        ComPtr<IIPUpdate> updater = MakeUpdater(kGenGnuDIPObjClass);
        GiveSettings(updater.Get(), Generic(c.request, 1, "", 0, c.url));
        ExpectOutcome(RunUpdate(updater.Get(), kAddress), c.outcome);
        std::vector<std::string> received = server.Received();
        ASSERT_EQ(received.size(), c.paths.size());
        for (size_t i = 0; i < received.size(); ++i) {
            EXPECT_EQ(FirstLine(received[i]), "GET " + c.paths[i] + " HTTP/1.0");
            EXPECT_EQ(received[i].find(kPassword), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace vantrel::test
