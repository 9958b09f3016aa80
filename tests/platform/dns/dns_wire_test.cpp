// Matching replies to their query, and reading the zone from SOA replies,
// on hand-made messages.
#include "dns/wire.h"

#include <gtest/gtest.h>

namespace vtdns {
namespace {

using Bytes = std::vector<uint8_t>;

// An answer to the query with the given header flags and question bytes.
Bytes ReplyTo(const Bytes& query, uint8_t flags, uint8_t rcode, const Bytes& questions,
              uint8_t count = 1) {
    Bytes reply{query[0], query[1], flags, rcode, 0, count, 0, 0, 0, 0, 0, 0};
    reply.insert(reply.end(), questions.begin(), questions.end());
    return reply;
}

TEST(DnsWire, ReplyMatchesOnlyItsOwnQuery) {
    Dname name = ParseName("ab.test");
    ASSERT_TRUE(name);
    const Bytes query = BuildSoaQuery(*name);
    ASSERT_EQ(query.size(), 12u + 9 + 4);
    EXPECT_EQ(query[2] & 0x01, 0) << "RD";
    const Bytes question(query.begin() + 12, query.end());
    Bytes upper = question;
    upper[1] = 'A';
    Bytes other_type = question;
    other_type[10] = 1;
    const Bytes loop = {0xC0, 12, 0, 6, 0, 1};
    const Bytes into_header = {0xC0, 2, 0, 6, 0, 1};
    const Bytes cut(question.begin(), question.begin() + 5);
    struct Case {
        const char* what;
        Bytes reply;
        bool matches;
    } cases[] = {
        {"the answer", ReplyTo(query, 0x84, 0, question), true},
        {"name in other case", ReplyTo(query, 0x80, 3, upper), true},
        {"error without question", ReplyTo(query, 0x80, 1, {}, 0), true},
        {"a query, not a reply", ReplyTo(query, 0x00, 0, question), false},
        {"another opcode", ReplyTo(query, 0x80 | 5 << 3, 0, question), false},
        {"another type", ReplyTo(query, 0x80, 0, other_type), false},
        {"no question, no error", ReplyTo(query, 0x80, 0, {}, 0), false},
        {"two questions", ReplyTo(query, 0x80, 0, question, 2), false},
        {"question cut short", ReplyTo(query, 0x80, 0, cut), false},
        {"pointer to itself", ReplyTo(query, 0x80, 0, loop), false},
        {"pointer into the header", ReplyTo(query, 0x80, 0, into_header), false},
        {"header cut short", Bytes(query.begin(), query.begin() + 11), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplyMatches(query, c.reply), c.matches) << c.what;
    }
}

// Only an SOA of the name (answer) or of an ancestor (authority) counts.
TEST(DnsWire, ReadsTheZoneFromSoaReplies) {
    Dname name = ParseName("a.b.test.");
    const Bytes query = BuildSoaQuery(*name);
    const Bytes question(query.begin() + 12, query.end());
    // Owner at the question's "b.test" (offset 14) or "a.b.test" (12).
    auto soa_reply = [&](uint8_t section, uint8_t owner) {
        Bytes reply = ReplyTo(query, 0x84, 0, question);
        reply[section] = 1;
        const Bytes rr = {0xC0, owner, 0, 6, 0, 1, 0, 0, 0, 60, 0, 26, 1, 'n', 0xC0, 14, 0xC0, 14};
        reply.insert(reply.end(), rr.begin(), rr.end());
        reply.resize(reply.size() + 20);
        return reply;
    };
    Zone zone;
    EXPECT_EQ(ReadSoaReply(soa_reply(9, 14), *name, &zone), SoaReply::kFound);
    EXPECT_EQ(zone.name, "b.test.");
    EXPECT_EQ(zone.mname, "n.b.test.");
    EXPECT_EQ(ReadSoaReply(soa_reply(7, 12), *name, &zone), SoaReply::kFound);
    EXPECT_EQ(zone.name, "a.b.test.");
    EXPECT_EQ(ReadSoaReply(soa_reply(7, 14), *name, &zone), SoaReply::kNone) << "answer for b.test";
    Bytes cut = soa_reply(9, 14);
    cut.resize(cut.size() - 3);
    EXPECT_EQ(ReadSoaReply(cut, *name, &zone), SoaReply::kMalformed);
}

}  // namespace
}  // namespace vtdns
