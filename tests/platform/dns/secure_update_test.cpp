// Secure updates against a private KDC and named (tests/peers/secure-dns,
// whose folder is the argument): Kerberos credentials, TKEY, TSIG, and
// the statuses a Windows client reports for each failure.
// The POSIX socket calls below need the VT_ names only.
#define VT_WINSOCK_NO_SHORT_NAMES
#include "dns/gss_wire.h"

#include <platform/windns.h>

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

namespace {

std::string g_dir;

uint16_t NamedPort() {
    std::ifstream in(g_dir + "/port");
    int port = 0;
    in >> port;
    return static_cast<uint16_t>(port);
}

std::set<std::string> Addresses(const std::string& name) {
    const std::string command = "dig +short +time=2 +tries=1 @127.0.0.1 -p " +
                                std::to_string(NamedPort()) + " " + name + " A";
    std::set<std::string> addresses;
    if (FILE* out = popen(command.c_str(), "r")) {
        char line[64];
        while (std::fgets(line, sizeof line, out)) {
            std::string text(line);
            text.erase(text.find_last_not_of("\r\n") + 1);
            addresses.insert(text);
        }
        pclose(out);
    }
    return addresses;
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

DNS_STATUS Modify(const std::string& name, const char* address, DWORD options, HANDLE handle) {
    DNS_RECORDA record{};
    record.pName = const_cast<char*>(name.c_str());
    record.wType = DNS_TYPE_A;
    record.wDataLength = 4;
    record.dwTtl = 60;
    record.Data.A.IpAddress = VtWs_inet_addr(address);
    IP4_ARRAY servers{1, {VtWs_inet_addr("127.0.0.1")}};
    return DnsModifyRecordsInSet_A(&record, &record, options, handle, &servers, nullptr);
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

class SecureUpdates : public ::testing::Test {
protected:
    void SetUp() override {
        UseKerberos("krb5.conf", "cc-none");
        // The module sends to port 53, which goes to named.
        VtResolverClearConnectTo();
        VtResolverAddConnectTo("127.0.0.1", 53, "127.0.0.1", NamedPort());
    }
    void TearDown() override { VtResolverClearConnectTo(); }
};

TEST_F(SecureUpdates, ExplicitCredentialsUpdateWhatThePolicyAndTheRealmGrant) {
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
        EXPECT_EQ(Addresses(c.name).count(c.address), c.status == ERROR_SUCCESS ? 1u : 0u);
    }
    // No ticket cache was written for the password credentials.
    EXPECT_FALSE(std::ifstream(g_dir + "/cc-none").good());
}

TEST_F(SecureUpdates, NullIdentityUsesTheProcessTicketCache) {
    UseKerberos("krb5.conf", "cc-kinit");
    const std::string kinit =
        "KRB5CCNAME=FILE:" + g_dir + "/cc-kinit kinit -k -t " + g_dir + "/alice.keytab alice";
    ASSERT_EQ(std::system(kinit.c_str()), 0);
    EXPECT_EQ(SecureUpdate(nullptr, "host.secure.test", "10.0.2.1"), ERROR_SUCCESS);
    EXPECT_EQ(Addresses("host.secure.test").count("10.0.2.1"), 1u);
    std::remove((g_dir + "/cc-kinit").c_str());
}

TEST_F(SecureUpdates, AcquisitionFailsWithTheSecurityStatus) {
    Identity wrong{"alice", "vantrel.test", "not-her-password"};
    Identity stranger{"mallory", "vantrel.test", "whatever"};
    Identity alice = Identity::Alice();
    const struct {
        const char* config;
        Identity* who;  // null: the ticket cache, which is empty
        DNS_STATUS status;
    } cases[] = {
        {"krb5.conf", &wrong, SEC_E_LOGON_DENIED},
        {"krb5.conf", &stranger, SEC_E_LOGON_DENIED},
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

TEST_F(SecureUpdates, UnsignedOptionsLeaveTheHandleUnused) {
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

// Flips the last byte of the MAC of any signed reply that comes by UDP.
long TamperingRecv(int fd, void* buffer, size_t length, int flags) {
    const long got = ::recv(fd, buffer, length, flags);
    int type = 0;
    socklen_t size = sizeof type;
    getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &size);
    auto* bytes = static_cast<uint8_t*>(buffer);
    if (got > 0 && type == SOCK_DGRAM) {
        const auto parsed = vtdns::gss::ParseReply({bytes, static_cast<size_t>(got)}, ".");
        if (parsed && parsed->tsig && !parsed->tsig->mac.empty()) {
            // The MAC ends 6 bytes before the end: original ID, error, other length.
            bytes[got - 7] ^= 0x01;
        }
    }
    return got;
}

TEST_F(SecureUpdates, ReplyWithATamperedSignatureFails) {
    VtSocketFunctions tampering{};
    tampering.recv = TamperingRecv;
    VtSetSocketFunctions(&tampering);
    Identity alice = Identity::Alice();
    EXPECT_EQ(SecureUpdate(&alice, "host.secure.test", "10.0.6.1"), DNS_ERROR_RCODE_BADSIG);
    VtSetSocketFunctions(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: platform_secure_update_test PEER_DIR\n");
        return 2;
    }
    g_dir = argv[1];
    return RUN_ALL_TESTS();
}
