// DnsModifyRecordsInSet_A against a scripted DNS peer: what goes on the
// wire (the same bytes as nsupdate's), how the zone is found, and how each
// reply, or the lack of one, becomes a status.
#include <platform/windns.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include "dns_peer.h"

namespace {

using vantrel::testing::DnsMessage;
using vantrel::testing::DnsPeer;
using vantrel::testing::UpdateReply;

constexpr uint32_t kLoopback = 0x0100007F;  // 127.0.0.1, network byte order
constexpr uint32_t kAddress = 0x04030201;   // 1.2.3.4

struct Record : DNS_RECORDA {
    explicit Record(const char* name, DWORD ttl = 300, WORD type = DNS_TYPE_A,
                    WORD length = sizeof(DNS_A_DATA))
        : DNS_RECORDA{} {
        pName = const_cast<char*>(name);
        wType = type;
        wDataLength = length;
        dwTtl = ttl;
        Data.A.IpAddress = kAddress;
    }
};

// The record as both lists, sent to 127.0.0.1:53, which goes to the peer.
DNS_STATUS Modify(uint16_t port, DNS_RECORDA record, DWORD options = DNS_UPDATE_SECURITY_OFF) {
    VtResolverClearConnectTo();
    VtResolverAddConnectTo("127.0.0.1", 53, "127.0.0.1", port);
    IP4_ARRAY servers{1, {kLoopback}};
    return DnsModifyRecordsInSet_A(&record, &record, options, nullptr, &servers, nullptr);
}

std::string QuestionName(const DnsMessage& message) {
    std::string name;
    for (size_t at = 12; at < message.bytes.size() && message.bytes[at] != 0;
         at += 1 + message.bytes[at]) {
        name.append(reinterpret_cast<const char*>(&message.bytes[at + 1]), message.bytes[at]);
        name += '.';
    }
    return name;
}

// Nothing is sent for arguments the client cannot use.
TEST(DnsModify, RefusesUnusableArgumentsBeforeSending) {
    DnsPeer peer;
    IP4_ARRAY servers{1, {kLoopback}};
    IP4_ARRAY none{0, {kLoopback}};
    Record good("host.vantrel.test");
    int reserved = 0;
    EXPECT_EQ(DnsModifyRecordsInSet_A(nullptr, nullptr, 0, nullptr, &servers, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(DnsModifyRecordsInSet_A(&good, nullptr, 0, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(DnsModifyRecordsInSet_A(&good, nullptr, 0, nullptr, &none, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(DnsModifyRecordsInSet_A(&good, nullptr, 0, nullptr, &servers, &reserved),
              ERROR_INVALID_PARAMETER);

    const std::string long_label = std::string(64, 'a') + ".vantrel.test";
    struct Case {
        const char* what;
        Record record;
        DNS_STATUS status;
    } cases[] = {
        {"no name", Record(nullptr), ERROR_INVALID_PARAMETER},
        {"empty name", Record(""), ERROR_INVALID_NAME},
        {"label of 64", Record(long_label.c_str()), ERROR_INVALID_NAME},
        {"empty label", Record("a..vantrel.test"), ERROR_INVALID_NAME},
        {"MX", Record("host.vantrel.test", 300, 15), ERROR_NOT_SUPPORTED},
        {"short data", Record("host.vantrel.test", 300, DNS_TYPE_A, 2), ERROR_INVALID_PARAMETER},
    };
    for (Case& c : cases) {
        EXPECT_EQ(Modify(peer.Port(), c.record), c.status) << c.what;
    }
    EXPECT_TRUE(peer.Received().empty());
}

// One UPDATE: the zone section, no prerequisites, delete-RR then add-RR,
// byte for byte what nsupdate sends for the same two lines (but the ID).
TEST(DnsModify, SendsTheUpdateNsupdateSends) {
    DnsPeer peer;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(Modify(peer.Port(), Record("host.vantrel.test", 3600)), ERROR_SUCCESS);
    }
    std::vector<DnsMessage> ours = peer.Updates();
    ASSERT_EQ(ours.size(), 3u);

    const std::string script = testing::TempDir() + "nsupdate.txt";
    std::ofstream(script) << "server 127.0.0.1 " << peer.Port() << "\nzone vantrel.test\n"
                          << "update delete host.vantrel.test. A 1.2.3.4\n"
                          << "update add host.vantrel.test. 3600 A 1.2.3.4\nsend\n";
    ASSERT_EQ(std::system(("nsupdate -t 4 " + script).c_str()), 0);
    std::vector<DnsMessage> all = peer.Updates();
    ASSERT_EQ(all.size(), 4u);
    const std::vector<uint8_t>& theirs = all.back().bytes;
    ASSERT_GT(theirs.size(), 12u);
    EXPECT_EQ(std::vector<uint8_t>(ours[0].bytes.begin() + 2, ours[0].bytes.end()),
              std::vector<uint8_t>(theirs.begin() + 2, theirs.end()));
    // RD clear; the ID random: three IDs all equal by chance is 1 in 2^32.
    EXPECT_EQ(ours[0].bytes[2] & 0x01, 0);
    const auto id = [&ours](int i) { return ours[i].bytes[0] << 8 | ours[i].bytes[1]; };
    EXPECT_FALSE(id(0) == id(1) && id(1) == id(2));
}

// The zone comes from the given server: an SOA in a negative answer's
// authority section, else the question goes one label up.
TEST(DnsModify, FindsTheZoneOnTheGivenServer) {
    DnsPeer peer;
    ASSERT_EQ(Modify(peer.Port(), Record("a.b.vantrel.test")), ERROR_SUCCESS);
    std::vector<DnsMessage> sent = peer.Received();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(QuestionName(sent[0]), "a.b.vantrel.test.");
    EXPECT_EQ(QuestionName(sent[1]), "vantrel.test.");  // the update's zone section

    DnsPeer hiding;
    hiding.HideSoaBelowApex();
    ASSERT_EQ(Modify(hiding.Port(), Record("A.b.Vantrel.test.")), ERROR_SUCCESS);
    sent = hiding.Received();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(QuestionName(sent[1]), "b.Vantrel.test.");
    EXPECT_EQ(QuestionName(sent[2]), "Vantrel.test.");
    EXPECT_EQ(QuestionName(sent[3]), "Vantrel.test.");

    // Out of labels: NXDOMAIN, and no update. (A walk ended by REFUSED is
    // checked against named.)
    DnsPeer empty("");
    EXPECT_EQ(Modify(empty.Port(), Record("a.b.c")), DNS_ERROR_RCODE_NAME_ERROR);
    EXPECT_EQ(empty.Received().size(), 4u);  // a.b.c. b.c. c. and the root
    EXPECT_TRUE(empty.Updates().empty());
}

TEST(DnsModify, ReportsTheUpdateRcodePlus9000) {
    DnsPeer peer;
    for (uint8_t rcode = 0; rcode <= 10; ++rcode) {
        peer.SetUpdateReply(UpdateReply::kRcode, rcode);
        EXPECT_EQ(Modify(peer.Port(), Record("host.vantrel.test")), rcode == 0 ? 0 : 9000 + rcode);
    }
}

// The same update again over TCP; a reply under another ID is dropped.
TEST(DnsModify, FollowsTruncationAndIgnoresForeignReplies) {
    DnsPeer peer;
    peer.SetUpdateReply(UpdateReply::kTruncate, 8);
    EXPECT_EQ(Modify(peer.Port(), Record("host.vantrel.test")), DNS_ERROR_RCODE_NXRRSET);
    std::vector<DnsMessage> updates = peer.Updates();
    ASSERT_EQ(updates.size(), 2u);
    EXPECT_FALSE(updates[0].tcp);
    EXPECT_TRUE(updates[1].tcp);
    EXPECT_EQ(updates[0].bytes, updates[1].bytes);

    peer.SetUpdateReply(UpdateReply::kWrongIdFirst, 0);
    EXPECT_EQ(Modify(peer.Port(), Record("host.vantrel.test")), ERROR_SUCCESS);
}

// Three tries of 2 s, then ERROR_TIMEOUT, waiting in poll, not spinning.
// A port where nothing listens refuses at once.
TEST(DnsModify, NoAnswerTimesOutWithinTheBoundedWait) {
    DnsPeer peer;
    peer.SetUpdateReply(UpdateReply::kSilent);
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpu = std::clock();  // all threads' CPU time
    EXPECT_EQ(Modify(peer.Port(), Record("host.vantrel.test")), ERROR_TIMEOUT);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took.count(), 5.9);
    EXPECT_LT(took.count(), 7.0);
    EXPECT_LT(std::clock() - cpu, CLOCKS_PER_SEC / 5);
    EXPECT_EQ(peer.Updates().size(), 3u);

    uint16_t closed = 0;
    {
        DnsPeer gone;
        closed = gone.Port();
    }
    const auto refused = std::chrono::steady_clock::now();
    EXPECT_EQ(Modify(closed, Record("host.vantrel.test")), ERROR_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - refused, std::chrono::seconds(1));
}

}  // namespace
