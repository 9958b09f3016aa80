// DnsModifyRecordsInSet_A against named and a private KDC
// (tests/peers/secure-dns, whose folder is the argument): the unsigned
// update as nsupdate sends it, the zone walk, each reply or its lack as a
// status; then Kerberos credentials, TKEY, TSIG, and the statuses a
// Windows client reports for each failure. Replies the server would not
// give are made by altering real ones on their way in.
// The POSIX socket calls below need the VT_ names only.
#define VT_WINSOCK_NO_SHORT_NAMES
#include "dns/gss_wire.h"

#include <platform/windns.h>

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string g_dir;

uint16_t NamedPort() {
    std::ifstream in(g_dir + "/port");
    int port = 0;
    in >> port;
    return static_cast<uint16_t>(port);
}

// Whether named now holds the address for the name.
bool Holds(const std::string& name, const std::string& address) {
    const std::string command = "dig +short +time=2 +tries=1 @127.0.0.1 -p " +
                                std::to_string(NamedPort()) + " " + name + " A | grep -qxF " +
                                address;
    return std::system(command.c_str()) == 0;
}

// Kerberos reads its configuration and cache names from the environment
// each time it starts a context: every case says which it wants.
void UseKerberos(const std::string& config, const std::string& cache) {
    setenv("KRB5_CONFIG", (g_dir + "/" + config).c_str(), 1);
    setenv("KRB5CCNAME", ("FILE:" + g_dir + "/" + cache).c_str(), 1);
}

struct Identity {
    std::string user, domain, password;
    SEC_WINNT_AUTH_IDENTITY_A record() {
        const auto text = [](std::string& s) { return reinterpret_cast<unsigned char*>(s.data()); };
        const auto size = [](const std::string& s) { return static_cast<ULONG>(s.size()); };
        return {text(user),
                size(user),
                text(domain),
                size(domain),
                text(password),
                size(password),
                SEC_WINNT_AUTH_IDENTITY_ANSI};
    }
    static Identity Alice() { return {"alice", "vantrel.test", "alice-Pw-1"}; }
    static Identity Bob() { return {"bob", "Vantrel.Test", "bob-Pw-1"}; }
};

DNS_STATUS Acquire(Identity* identity, HANDLE* handle) {
    *handle = reinterpret_cast<HANDLE>(0x1);
    if (identity == nullptr) {
        return DnsAcquireContextHandle_A(0, nullptr, handle);
    }
    SEC_WINNT_AUTH_IDENTITY_A record = identity->record();
    return DnsAcquireContextHandle_A(0, &record, handle);
}

DNS_RECORDA ARecord(const char* name, const char* address) {
    DNS_RECORDA record{};
    record.pName = const_cast<char*>(name);
    record.wType = DNS_TYPE_A;
    record.wDataLength = 4;
    record.dwTtl = 60;
    record.Data.A.IpAddress = VtWs_inet_addr(address);
    return record;
}

// The record as both lists, to 127.0.0.1:53, which goes where Route says.
DNS_STATUS Modify(const std::string& name, const char* address,
                  DWORD options = DNS_UPDATE_SECURITY_OFF, HANDLE handle = nullptr) {
    DNS_RECORDA record = ARecord(name.c_str(), address);
    IP4_ARRAY servers{1, {VtWs_inet_addr("127.0.0.1")}};
    return DnsModifyRecordsInSet_A(&record, &record, options, handle, &servers, nullptr);
}

void Route(uint16_t port) {
    VtResolverClearConnectTo();
    VtResolverAddConnectTo("127.0.0.1", 53, "127.0.0.1", port);
}

uint16_t BindLoopback(int fd) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// Every message the module sends, and a change made to each UDP reply it
// reads (returning the reply's new length).
std::vector<std::vector<uint8_t>> g_sent;
long (*g_alter)(uint8_t* reply, long length) = nullptr;
int g_foreign = 0;  // UDP replies still to be shown once under another ID first
unsigned g_rcode = 0;

bool IsUpdate(const uint8_t* message) {
    return (message[2] >> 3 & 0x0F) == 5;
}

long TapSend(int fd, const void* buffer, size_t length, int flags) {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    g_sent.emplace_back(bytes, bytes + length);
    return ::send(fd, buffer, length, flags);
}

long TapRecv(int fd, void* buffer, size_t length, int flags) {
    int type = 0;
    socklen_t size = sizeof type;
    getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &size);
    const bool foreign = type == SOCK_DGRAM && g_foreign > 0;
    // Peeked, the real reply stays queued for the next read.
    long got = ::recv(fd, buffer, length, flags | (foreign ? MSG_PEEK : 0));
    auto* bytes = static_cast<uint8_t*>(buffer);
    if (foreign && got > 2) {
        bytes[1] ^= 1;
        --g_foreign;
    } else if (type == SOCK_DGRAM && got > 12 && g_alter != nullptr) {
        got = g_alter(bytes, got);
    }
    return got;
}

long Truncate(uint8_t* reply, long length) {
    reply[2] |= IsUpdate(reply) ? 0x02 : 0;
    return length;
}

long SetUpdateRcode(uint8_t* reply, long length) {
    if (IsUpdate(reply)) {
        reply[3] = static_cast<uint8_t>((reply[3] & 0xF0) | g_rcode);
    }
    return length;
}

// NOERROR with the question only, as a server outside the zone may say.
long EmptySoaAnswer(uint8_t* reply, long length) {
    if (IsUpdate(reply)) {
        return length;
    }
    reply[3] &= 0xF0;
    std::fill(reply + 6, reply + 12, 0);
    return static_cast<long>(g_sent.back().size());
}

// Flips the last byte of the MAC of a signed reply.
long TamperMac(uint8_t* reply, long length) {
    const auto parsed = vtdns::gss::ParseReply({reply, static_cast<size_t>(length)}, ".");
    if (parsed && parsed->tsig && !parsed->tsig->mac.empty()) {
        // The MAC ends 6 bytes before the end: original ID, error, other length.
        reply[length - 7] ^= 0x01;
    }
    return length;
}

// nsupdate's UPDATE for the lines, caught on a socket that never answers.
std::vector<uint8_t> NsupdateSends(const std::string& lines) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const std::string script = g_dir + "/nsupdate.txt";
    std::ofstream(script) << "server 127.0.0.1 " << BindLoopback(fd) << "\n" << lines << "send\n";
    // One try of a second: it fails, but its datagram waits in the socket.
    const int status = std::system(("nsupdate -u 1 -r 0 " + script + " 2>/dev/null").c_str());
    EXPECT_NE(status, 0) << "nothing answers it";
    std::vector<uint8_t> bytes(512);
    const long got = ::recv(fd, bytes.data(), bytes.size(), MSG_DONTWAIT);
    close(fd);
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return bytes;
}

// Acquires for identity (null: the cache), updates name, releases.
DNS_STATUS SecureUpdate(Identity* identity, const std::string& name, const char* address) {
    HANDLE handle = nullptr;
    const DNS_STATUS acquired = Acquire(identity, &handle);
    if (acquired != ERROR_SUCCESS) {
        ADD_FAILURE() << "acquiring gave " << acquired;
        return acquired;
    }
    const DNS_STATUS status = Modify(name, address, DNS_UPDATE_SECURITY_ONLY, handle);
    DnsReleaseContextHandle(handle);
    return status;
}

class DnsUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        UseKerberos("krb5.conf", "cc-none");
        Route(NamedPort());
        g_sent.clear();
        g_alter = nullptr;
        g_foreign = 0;
        VtSocketFunctions tap{};
        tap.send = TapSend;
        tap.recv = TapRecv;
        VtSetSocketFunctions(&tap);
    }
    void TearDown() override {
        VtSetSocketFunctions(nullptr);
        VtResolverClearConnectTo();
    }
};

// Nothing is sent for arguments the client cannot use.
TEST_F(DnsUpdate, RefusesUnusableArgumentsBeforeSending) {
    IP4_ARRAY servers{1, {VtWs_inet_addr("127.0.0.1")}};
    IP4_ARRAY none{0, {}};
    DNS_RECORDA good = ARecord("host.plain.test", "10.0.5.1");
    int reserved = 0;
    EXPECT_EQ(DnsModifyRecordsInSet_A(nullptr, nullptr, 0, nullptr, &servers, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(DnsModifyRecordsInSet_A(&good, nullptr, 0, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(DnsModifyRecordsInSet_A(&good, nullptr, 0, nullptr, &none, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(DnsModifyRecordsInSet_A(&good, nullptr, 0, nullptr, &servers, &reserved),
              ERROR_INVALID_PARAMETER);
    const std::string long_label = std::string(64, 'a') + ".plain.test";
    DNS_RECORDA mx = good;
    mx.wType = 15;
    DNS_RECORDA short_data = good;
    short_data.wDataLength = 2;
    const struct {
        const char* what;
        DNS_RECORDA record;
        DNS_STATUS status;
    } cases[] = {
        {"no name", ARecord(nullptr, "10.0.5.1"), ERROR_INVALID_PARAMETER},
        {"empty name", ARecord("", "10.0.5.1"), ERROR_INVALID_NAME},
        {"label of 64", ARecord(long_label.c_str(), "10.0.5.1"), ERROR_INVALID_NAME},
        {"empty label", ARecord("a..plain.test", "10.0.5.1"), ERROR_INVALID_NAME},
        {"MX", mx, ERROR_NOT_SUPPORTED},
        {"short data", short_data, ERROR_INVALID_PARAMETER},
    };
    for (auto c : cases) {
        EXPECT_EQ(DnsModifyRecordsInSet_A(&c.record, &c.record, 0, nullptr, &servers, nullptr),
                  c.status)
            << c.what;
    }
    EXPECT_TRUE(g_sent.empty());
}

// One SOA question finds the zone in a negative answer's authority; then
// one UPDATE (zone, no prerequisites, delete-RR, add-RR), byte for byte
// nsupdate's but the ID, which is random, with RD clear.
TEST_F(DnsUpdate, SendsTheUpdateNsupdateSends) {
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(Modify("new.plain.test", "10.0.5.1"), ERROR_SUCCESS);
    }
    ASSERT_EQ(g_sent.size(), 6u);
    EXPECT_TRUE(Holds("new.plain.test", "10.0.5.1"));
    const std::vector<uint8_t> theirs = NsupdateSends(
        "zone plain.test\nupdate delete new.plain.test. A 10.0.5.1\n"
        "update add new.plain.test. 60 A 10.0.5.1\n");
    ASSERT_GT(theirs.size(), 12u);
    const std::vector<uint8_t>& ours = g_sent[1];
    EXPECT_EQ(std::vector<uint8_t>(ours.begin() + 2, ours.end()),
              std::vector<uint8_t>(theirs.begin() + 2, theirs.end()));
    EXPECT_EQ(ours[2] & 0x01, 0);
    // Three IDs all equal by chance is 1 in 2^32.
    const auto id = [](int i) { return g_sent[i][0] << 8 | g_sent[i][1]; };
    EXPECT_FALSE(id(1) == id(3) && id(3) == id(5));
}

// Without an SOA in any answer the question goes up a label at a time;
// out of labels the name does not exist, and no update goes out.
TEST_F(DnsUpdate, ZoneWalkEndsAtTheRoot) {
    g_alter = EmptySoaAnswer;
    EXPECT_EQ(Modify("a.b.c", "10.0.5.2"), DNS_ERROR_RCODE_NAME_ERROR);
    EXPECT_EQ(g_sent.size(), 4u);  // a.b.c. b.c. c. and the root
}

TEST_F(DnsUpdate, ReportsTheUpdateRcodePlus9000) {
    g_alter = SetUpdateRcode;
    for (g_rcode = 1; g_rcode <= 10; ++g_rcode) {
        EXPECT_EQ(Modify("host.plain.test", "10.0.5.2"), 9000 + g_rcode);
    }
}

// A truncated reply sends the same update again over TCP; a reply under
// another ID is dropped and the wait goes on.
TEST_F(DnsUpdate, FollowsTruncationAndIgnoresForeignReplies) {
    g_alter = Truncate;
    ASSERT_EQ(Modify("host.plain.test", "10.0.5.3"), ERROR_SUCCESS);
    ASSERT_EQ(g_sent.size(), 3u);
    std::vector<uint8_t> framed = {0, static_cast<uint8_t>(g_sent[1].size())};
    framed.insert(framed.end(), g_sent[1].begin(), g_sent[1].end());
    EXPECT_EQ(g_sent[2], framed);
    EXPECT_TRUE(Holds("host.plain.test", "10.0.5.3"));

    g_alter = nullptr;
    g_foreign = 2;
    EXPECT_EQ(Modify("host.plain.test", "10.0.5.4"), ERROR_SUCCESS);
    EXPECT_EQ(g_sent.size(), 5u);  // nothing sent again
}

// Three tries of 2 s, then ERROR_TIMEOUT, waiting in poll, not spinning.
// A port where nothing listens refuses at once.
TEST_F(DnsUpdate, NoAnswerTimesOutWithinTheBoundedWait) {
    const int silent = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    Route(BindLoopback(silent));
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpu = std::clock();  // all threads' CPU time
    EXPECT_EQ(Modify("host.plain.test", "10.0.5.5"), ERROR_TIMEOUT);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took.count(), 5.9);
    EXPECT_LT(took.count(), 7.0);
    EXPECT_LT(std::clock() - cpu, CLOCKS_PER_SEC / 5);
    EXPECT_EQ(g_sent.size(), 3u);
    close(silent);
    const auto refused = std::chrono::steady_clock::now();
    EXPECT_EQ(Modify("host.plain.test", "10.0.5.5"), ERROR_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - refused, std::chrono::seconds(1));
}

TEST_F(DnsUpdate, ExplicitCredentialsUpdateWhatThePolicyAndTheRealmGrant) {
    Identity alice = Identity::Alice();
    Identity bob = Identity::Bob();
    const struct {
        Identity* who;
        const char* name;
        const char* address;
        DNS_STATUS status;
    } cases[] = {
        {&alice, "host.secure.test", "10.0.1.1", ERROR_SUCCESS},
        {&bob, "host.secure.test", "10.0.1.2", DNS_ERROR_RCODE_REFUSED},
        {&bob, "host.bob.test", "10.0.1.3", ERROR_SUCCESS},
        {&alice, "host.bob.test", "10.0.1.4", DNS_ERROR_RCODE_REFUSED},
        // A zone open to unsigned updates from loopback takes a signed one too.
        {&bob, "host.plain.test", "10.0.1.5", ERROR_SUCCESS},
        // No DNS/ns1.nokey.test in the realm; named lacks DNS/ns1.stale.test's
        // current key, so it answers the TKEY with BADKEY.
        {&alice, "host.nokey.test", "10.0.3.1", SEC_E_TARGET_UNKNOWN},
        {&alice, "host.stale.test", "10.0.3.2", DNS_ERROR_RCODE_BADKEY},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.who->user) + " " + c.name);
        EXPECT_EQ(SecureUpdate(c.who, c.name, c.address), c.status);
        EXPECT_EQ(Holds(c.name, c.address), c.status == ERROR_SUCCESS);
    }
    // No ticket cache was written for the password credentials.
    EXPECT_FALSE(std::ifstream(g_dir + "/cc-none").good());
}

TEST_F(DnsUpdate, NullIdentityUsesTheProcessTicketCache) {
    UseKerberos("krb5.conf", "cc-kinit");
    const std::string kinit =
        "KRB5CCNAME=FILE:" + g_dir + "/cc-kinit kinit -k -t " + g_dir + "/alice.keytab alice";
    ASSERT_EQ(std::system(kinit.c_str()), 0);
    EXPECT_EQ(SecureUpdate(nullptr, "host.secure.test", "10.0.2.1"), ERROR_SUCCESS);
    EXPECT_TRUE(Holds("host.secure.test", "10.0.2.1"));
    std::remove((g_dir + "/cc-kinit").c_str());
}

TEST_F(DnsUpdate, AcquisitionFailsWithTheSecurityStatus) {
    Identity wrong{"alice", "vantrel.test", "not-her-password"};
    Identity alice = Identity::Alice();
    const struct {
        const char* config;
        Identity* who;  // null: the ticket cache, which is empty
        DNS_STATUS status;
    } cases[] = {
        {"krb5.conf", &wrong, SEC_E_LOGON_DENIED},
        {"krb5-nokdc.conf", &alice, SEC_E_NO_AUTHENTICATING_AUTHORITY},
        {"krb5.conf", nullptr, SEC_E_NO_CREDENTIALS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.config) + " " + (c.who ? c.who->user : "cache"));
        UseKerberos(c.config, "cc-none");
        HANDLE handle = nullptr;
        EXPECT_EQ(Acquire(c.who, &handle), c.status);
        EXPECT_EQ(handle, nullptr);
    }
}

TEST_F(DnsUpdate, UnsignedOptionsLeaveTheHandleUnused) {
    Identity alice = Identity::Alice();
    HANDLE handle = nullptr;
    ASSERT_EQ(Acquire(&alice, &handle), ERROR_SUCCESS);
    // Signed, alice's update would be taken.
    EXPECT_EQ(Modify("host.secure.test", "10.0.4.1", DNS_UPDATE_SECURITY_OFF, handle),
              DNS_ERROR_RCODE_REFUSED);
    EXPECT_EQ(Modify("host.secure.test", "10.0.4.1", DNS_UPDATE_SECURITY_USE_DEFAULT, handle),
              DNS_ERROR_RCODE_REFUSED);
    DnsReleaseContextHandle(handle);
}

TEST_F(DnsUpdate, ReplyWithATamperedSignatureFails) {
    g_alter = TamperMac;
    Identity alice = Identity::Alice();
    EXPECT_EQ(SecureUpdate(&alice, "host.secure.test", "10.0.6.1"), DNS_ERROR_RCODE_BADSIG);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: platform_dns_update_test PEER_DIR\n");
        return 2;
    }
    g_dir = argv[1];
    return RUN_ALL_TESTS();
}
