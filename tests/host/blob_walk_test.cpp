// The host's strict walk of a settings blob against its provider's layout:
// what update, configure and settings --show refuse, and what --dump shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/blob_dump.h"
#include "host/blob_walk.h"
#include "host/providers.h"
#include "host/settings_keys.h"
#include "providers/layouts.h"

namespace host {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Le32(uint32_t n) {
    return {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
            static_cast<uint8_t>(n >> 24)};
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}
Bytes Counted(const std::string& text) {
    return Cat(
        {Le32(static_cast<uint32_t>(text.size() + 1)), Bytes(text.begin(), text.end()), Bytes{0}});
}
Bytes Bare(const std::string& text) {
    return Cat({Le32(static_cast<uint32_t>(text.size())), Bytes(text.begin(), text.end())});
}

std::string Problem(const Bytes& bytes, vantrel::BlobLayout layout) {
    const BlobWalk walk = WalkBlob(bytes, layout);
    return walk.problem ? Describe(*walk.problem) : "";
}

// `vantrel settings` keys, --show's lines and --help follow the layout.
TEST(BlobWalk, SettingsKeysFollowEachProvidersLayout) {
    for (const Provider& provider : kProviders) {
        std::vector<std::string> keys;
        std::vector<std::string> fields;
        for (const SettingKey& key : KeysOf(provider))
            keys.emplace_back(key.name);
        for (const vantrel::BlobField& field : vantrel::LayoutOf(provider.id)) {
            fields.emplace_back(field.name);
        }
        EXPECT_FALSE(fields.empty()) << provider.short_name;
        EXPECT_EQ(keys, fields) << provider.short_name;
    }
}

TEST(BlobWalk, RefusesWhatDoesNotParseExactly) {
    const Bytes dyfi =
        Cat({Le32(1), Counted("koti.dy.fi"), Counted("aino"), Counted("pw"), Le32(0)});
    Bytes huge_count = dyfi;
    huge_count[3] = 0x7f;
    huge_count[0] = huge_count[1] = huge_count[2] = 0xff;
    const Bytes win2000 =
        Cat({Bare("ns"), Bare("r"), Le32(300), Bare(""), Bare(""), Bare(""), Le32(16)});
    struct Case {
        const char* name;
        Bytes bytes;
        vantrel::BlobLayout layout;
        std::string problem;
    };
    const Case cases[] = {
        {"whole", dyfi, vantrel::kDyFiLayout, ""},
        {"whole with bare texts", win2000, vantrel::kWin2000Layout, ""},
        {"count past the end", huge_count, vantrel::kDyFiLayout,
         "host at offset 0: count 2147483647 runs past the end (35 bytes left)"},
        {"empty",
         {},
         vantrel::kWin2000Layout,
         "server at offset 0: cut short: 4 bytes needed, 0 left"},
        {"bytes left over", Cat({dyfi, Bytes{7}}), vantrel::kDyFiLayout,
         "after offline at offset 39: 1 bytes left over"},
        {"flag of another value", Cat({Le32(0), Counted("u"), Counted("p"), Le32(7)}),
         vantrel::kDyFiLayout, "offline at offset 16: flag 7 is neither 0 nor 1"},
        {"counted text without its NUL", Cat({Le32(2), Bytes{'a', 'b'}, Counted("p")}),
         vantrel::kDynupLayout, "host at offset 0: the counted text does not end with a NUL"},
        {"NUL inside a text", Cat({Bare(std::string("a\0b", 3)), Bare("r")}),
         vantrel::kWin2000Layout, "server at offset 0: a NUL inside the text, at its byte 1"},
        {"empty counted text", Cat({Le32(0), Counted("p")}), vantrel::kDynupLayout,
         "host at offset 0: length 0 leaves no room for the NUL of a counted text"},
        {"negative length", Le32(0xFFFFFFFF), vantrel::kWin2000Layout,
         "server at offset 0: length -1 is negative"},
        {"list entry past the end", Cat({Le32(2), Counted("a"), Le32(9), Bytes{'b', 0}}),
         vantrel::kDipDnsLayout, "host[1] at offset 10: length 9 runs past the end (2 bytes left)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Problem(c.bytes, c.layout), c.problem) << c.name;
    }
}

// The parts tile the blob from its first byte to the problem, or to its end.
TEST(BlobWalk, DumpShowsEveryByteOnceAndMarksTheProblem) {
    const Bytes gnudip = Cat({Counted("me"), Counted("d"), Counted("pw"), Le32(1), Le32(0),
                              Bare("s.example"), Bytes{0x40, 0x9c}, Bare("")});
    const BlobWalk walk = WalkBlob(gnudip, vantrel::kGenGnuDIPLayout);
    ASSERT_FALSE(walk.problem);
    size_t at = 0;
    for (const BlobPart& part : walk.parts) {
        EXPECT_EQ(part.offset, at) << part.note;
        at += part.size;
    }
    EXPECT_EQ(at, gnudip.size());
    EXPECT_EQ(walk.parts.back().note, "url: length 0");

    const std::string dump = DumpBlob(vantrel::kGenGnuDIPLayout, Cat({gnudip, Bytes{1, 2}}));
    EXPECT_NE(dump.find("port: 40000\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("server: \"s.example\"\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("    47  01 02 "), std::string::npos) << dump;
    EXPECT_NE(dump.find("after url: 2 bytes left over\n"), std::string::npos) << dump;
}

}  // namespace
}  // namespace host
