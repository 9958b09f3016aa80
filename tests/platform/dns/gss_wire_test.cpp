// GSS-TSIG wire forms: names and TSIG records, and the reply reader on
// hostile input. (TKEY queries and the bytes a MIC covers are checked by
// named and the KDC in the update tests.)
#include "dns/gss_wire.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace {

using namespace vtdns::gss;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// An UPDATE header with ID 0x1234 and one zone entry, nothing else.
const Bytes kUpdate =
    Concat({{0x12, 0x34, 0x28, 0x00, 0, 1, 0, 0, 0, 0, 0, 0}, {4}, Text("zone"), {0, 0, 6, 0, 1}});

Tsig SampleTsig() {
    Tsig tsig;
    tsig.key_name = "K.gss-tsig.";
    tsig.algorithm = "gss-tsig.";
    tsig.time_signed = 0x0102030405;
    tsig.original_id = 0x1234;
    tsig.mac = {0xAA, 0xBB};
    return tsig;
}

TEST(GssWire, EncodesNamesInCanonicalForm) {
    const struct {
        std::string name;
        Bytes wire;
    } cases[] = {
        {"Host.Zone", Concat({{4}, Text("host"), {4}, Text("zone"), {0}})},
        {"host.zone.", Concat({{4}, Text("host"), {4}, Text("zone"), {0}})},
        {".", {0}},
        {"a..b", {}},
        {std::string(64, 'x') + ".zone", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EncodeName(c.name), c.wire);
    }
    std::string longest;
    for (int i = 0; i < 4; ++i) {
        longest += std::string(i == 3 ? 61 : 63, 'x') + ".";
    }
    EXPECT_EQ(EncodeName(longest).size(), 255u);
    EXPECT_TRUE(EncodeName(longest + "y").empty());
}

TEST(GssWire, SignedMessageReadsBackAsTheMessageItSigned) {
    Tsig tsig = SampleTsig();
    tsig.error = 18;
    tsig.other = {0, 0, 0, 0, 0, 9};
    Bytes reply = AppendTsig(kUpdate, tsig);
    ASSERT_EQ(reply[11], 1);  // ARCOUNT counts the TSIG
    // A server answers with its own ID; the TSIG keeps the original.
    reply[0] = 0x55;
    reply[2] |= 0x80;
    reply[3] = 9;
    const auto parsed = ParseReply(reply, "k.gss-tsig");
    ASSERT_TRUE(parsed && parsed->tsig);
    EXPECT_EQ(parsed->rcode, 9);
    // Every field back, the owner in canonical (lower) case.
    tsig.key_name = "k.gss-tsig.";
    const auto fields = [](const Tsig& t) {
        return std::tie(t.key_name, t.algorithm, t.time_signed, t.fudge, t.mac, t.original_id,
                        t.error, t.other);
    };
    EXPECT_EQ(fields(*parsed->tsig), fields(tsig));
    Bytes before = kUpdate;
    before[2] |= 0x80;
    before[3] = 9;
    EXPECT_EQ(parsed->unsigned_message, before);
}

// A TKEY answer whose owner and algorithm are compressed pointers.
Bytes TkeyAnswer() {
    const Bytes question = Concat({{1}, Text("k"), {8}, Text("gss-tsig"), {0}, {0, 249, 0, 255}});
    const Bytes rdata = Concat({{0xC0, 14},  // "gss-tsig." inside the question
                                {0, 0, 0, 1, 0, 0, 0, 2, 0, 3, 0, 0, 0, 3, 1, 2, 3, 0, 0}});
    return Concat({{0, 7, 0x80, 0, 0, 1, 0, 1, 0, 0, 0, 0},
                   question,
                   {0xC0, 12, 0, 249, 0, 255, 0, 0, 0, 0, 0, static_cast<uint8_t>(rdata.size())},
                   rdata});
}

// The answers named gives are read in the secure update tests; here what
// it never sends.
TEST(GssWire, RejectsMalformedReplies) {
    const Bytes good = TkeyAnswer();
    EXPECT_TRUE(ParseReply(good, "K.GSS-TSIG.").value().has_tkey);
    // A TKEY for another key is not ours.
    EXPECT_FALSE(ParseReply(good, "other.gss-tsig").value().has_tkey);
    // Every cut is refused, never read past.
    for (size_t length = 0; length < good.size(); ++length) {
        EXPECT_FALSE(ParseReply(Bytes(good.begin(), good.begin() + length), "k.gss-tsig"))
            << length;
    }
    Bytes trailing = good;
    trailing.push_back(0);
    const auto with = [&good](size_t at, uint8_t value) {
        Bytes changed = good;
        changed[at] = value;
        return changed;
    };
    Bytes signed_reply = AppendTsig(kUpdate, SampleTsig());
    signed_reply[2] |= 0x80;
    Bytes tsig_not_last = signed_reply;
    tsig_not_last[11] = 2;
    tsig_not_last.insert(tsig_not_last.end(), {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0});

    const Bytes bad[] = {trailing,
                         with(2, 0) /* a query */,
                         with(29, 28) /* owner points at itself */,
                         with(29, 40) /* points forward */,
                         with(39, 0xFF) /* RDLENGTH past the end */,
                         tsig_not_last};
    for (size_t i = 0; i < std::size(bad); ++i) {
        EXPECT_FALSE(ParseReply(bad[i], "k.gss-tsig")) << i;
    }
    EXPECT_TRUE(ParseReply(signed_reply, "k.gss-tsig"));
}

}  // namespace
