// Settings blobs byte for byte, and reading blobs no page writes.
#include "contract/blob_fields.h"
#include "contract/blob_values.h"
#include "text/error.h"

#include <string>

namespace vantrel::test {
namespace {

TEST(BlobWriter, LongHostListRoundTripsWhole) {
    std::vector<Text> hosts;
    for (int i = 0; i < 100; ++i) {
        hosts.emplace_back("host-" + std::to_string(i) + ".example-dynamic.net");
    }
    BlobWriter writer;
    writer.CountedTextList(hosts);
    writer.CountedText("key");
    ASSERT_GT(writer.Bytes().size(), 1024u);
    EXPECT_EQ(writer.ToVariant(nullptr), E_FAIL);
    VARIANT value;
    ASSERT_EQ(writer.ToVariant(&value), S_OK);
    LONG lower = -1;
    EXPECT_EQ(SafeArrayGetLBound(value.parray, 1, &lower), S_OK);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(value.parray->cbElements, 1u);
    {
        BlobReader reader(value);
        EXPECT_EQ(reader.CountedTextList(), hosts);
        EXPECT_EQ(reader.CountedText(), Text("key"));
        EXPECT_EQ(reader.Remaining(), 0u);
    }
    EXPECT_EQ(value.parray->cLocks, 0u);
    VariantClear(&value);
}

TEST(BlobReader, IgnoresWhatIsNotABlob) {
    BlobValue typed({4, 0, 0, 0, 'a', 'b', 'c', 0}, VT_ARRAY | VT_UI1);  // 0x2011
    VARIANT empty;
    VariantInit(&empty);
    empty.parray = nullptr;
    VARIANT null_array = empty;
    null_array.vt = VT_ARRAY;
    VARIANT number = empty;  // its value shares the array pointer's place
    number.vt = VT_I4;
    number.lVal = 7;
    const VARIANT* values[] = {&typed.Get(), &empty, &null_array, &number};
    for (const VARIANT* value : values) {
        BlobReader reader(*value);
        EXPECT_FALSE(reader.IsBlob());
        EXPECT_EQ(reader.CountedText(), std::nullopt);
    }
    EXPECT_EQ(typed.Get().parray->cLocks, 0u);
}

// Reads fields named by letters (Counted, Bare, Whole bare text, Integer,
// Short, Flag, List)
// and spells out what came back, "-" for nothing.
std::string ReadFields(BlobReader& reader, std::string_view fields) {
    auto text = [](const std::optional<Text>& t) {
        return t ? "'" + std::string(t->View()) + "'" : std::string("-");
    };
    auto number = [](auto v) { return v ? std::to_string(*v) : std::string("-"); };
    auto list = [&] {
        std::string out = "[";
        for (const Text& t : reader.CountedTextList()) {
            out += std::string(t.View()) + ";";
        }
        return out + "]";
    };
    std::string out;
    for (char field : fields) {
        out += out.empty() ? "" : " ";
        out += field == 'C'   ? text(reader.CountedText())
               : field == 'B' ? text(reader.BareText())
               : field == 'W' ? text(reader.BareText(TextLimit::None))
               : field == 'I' ? number(reader.Integer())
               : field == 'S' ? number(reader.ShortInteger())
               : field == 'F' ? number(reader.Flag())
                              : list();
    }
    return out;
}

TEST(BlobReader, OddAndTruncatedFields) {
    const std::string long_text = std::string(254, 'x') + "\xC3\xA9" + "yy";
    // 259: 254 x, a two-byte character, yy, NUL; then an integer 7.
    const std::string raw =
        std::string("\x03\x01\x00\x00", 4) + long_text + std::string("\x00\x07\x00\x00\x00", 5);
    const Bytes long_counted(raw.begin(), raw.end());
    // Two bare texts of 300 bytes: a server setting no edit control limits.
    const std::string url(300, 'u');
    const std::string bare = std::string("\x2c\x01\x00\x00", 4) + url;
    const std::string two_bare = bare + bare;
    const Bytes long_bare(two_bare.begin(), two_bare.end());
    const struct {
        const char* name;
        Bytes bytes;
        const char* fields;
        std::string expected;
    } cases[] = {
        {"counted L=0 is empty", {0, 0, 0, 0, 1, 0, 0, 0}, "CI", "'' 1"},
        {"counted without NUL keeps its last byte", {2, 0, 0, 0, 'a', 'b'}, "C", "'ab'"},
        {"text ends at its first NUL", {4, 0, 0, 0, 'a', 0, 'b', 0, 9, 0}, "CS", "'a' 9"},
        {"text cut short stops reading", {9, 0, 0, 0, 'a', 'b', 1, 0, 0, 0}, "CI", "- -"},
        {"negative length stops reading", {0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0}, "BI", "- -"},
        {"integer cut short", {1, 0, 0}, "IS", "- -"},
        {"short integer, then a cut", {0xA7, 0x0D, 5}, "SS", "3495 -"},
        {"flag is set only by 1", {1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0}, "FFFF", "1 0 0 -"},
        {"list cut inside an entry keeps whole entries",
         {3, 0, 0, 0, 2, 0, 0, 0, 'a', 0, 5, 0, 0, 0, 'b'},
         "LC",
         "[a;] -"},
        {"negative list count is empty",
         {0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 'k', 0},
         "LC",
         "[] 'k'"},
        {"huge list count ends with the data",
         {0xFF, 0xFF, 0xFF, 0x7F, 2, 0, 0, 0, 'a', 0},
         "LI",
         "[a;] -"},
        {"empty blob", {}, "CL", "- []"},
        {"long text cut to 255 bytes, not inside a character", long_counted, "CI",
         "'" + long_text.substr(0, 254) + "' 7"},
        {"long bare text whole only without a limit", long_bare, "WB",
         "'" + url + "' '" + url.substr(0, 255) + "'"},
    };
    for (const auto& c : cases) {
        BlobValue blob(c.bytes);
        BlobReader reader(blob.Get());
        EXPECT_EQ(ReadFields(reader, c.fields), c.expected) << c.name;
    }
}

// One field of every kind; slots are found by name, not by position.
constexpr BlobField kEveryKind[] = {
    {"list", BlobKind::CountedTextList}, {"counted", BlobKind::CountedText},
    {"bare", BlobKind::BareText},        {"integer", BlobKind::Integer},
    {"short", BlobKind::ShortInteger},   {"flag", BlobKind::Flag},
};

TEST(BlobLayout, WritesAndReadsEveryFieldInLayoutOrder) {
    std::vector<Text> hosts = {Text("a"), Text("b")};
    Text counted("c");
    std::optional<Text> bare = Text("ip");
    int32_t integer = -2;
    uint16_t port = 3495;
    bool flag = true;
    BlobWriter writer;
    WriteLayout(writer, kEveryKind,
                {{"flag", flag},
                 {"short", port},
                 {"integer", integer},
                 {"bare", bare},
                 {"counted", counted},
                 {"list", hosts}});
    const Bytes expected = {2,   0,   0,    0,    2,    0,    0,    0,    'a', 0, 2, 0, 0,
                            0,   'b', 0,    2,    0,    0,    0,    'c',  0,   2, 0, 0, 0,
                            'i', 'p', 0xFE, 0xFF, 0xFF, 0xFF, 0xA7, 0x0D, 1,   0, 0, 0};
    VARIANT value;
    ASSERT_EQ(writer.ToVariant(&value), S_OK);
    ASSERT_EQ(BytesOf(value), expected);  // also checks vt is exactly 0x2000
    VariantClear(&value);

    // Lists add to what is held; a cut inside "integer" leaves it and every
    // later slot as it was, and the whole blob then fills them.
    TextList read_hosts;
    read_hosts.Add(Text("held"));
    Text read_counted;
    std::optional<Text> read_bare;
    std::optional<int32_t> read_integer;
    uint16_t read_port = 7;
    bool read_flag = false;
    for (size_t size : {size_t{30}, expected.size()}) {
        BlobValue blob(Bytes(expected.begin(), expected.begin() + static_cast<long>(size)));
        BlobReader reader(blob.Get());
        ReadLayout(reader, kEveryKind,
                   {{"list", read_hosts},
                    {"counted", read_counted},
                    {"bare", read_bare},
                    {"integer", read_integer},
                    {"short", read_port},
                    {"flag", read_flag}});
        EXPECT_EQ(read_counted.View(), "c");
        EXPECT_EQ(read_bare, Text("ip"));
        const bool whole = size == expected.size();
        EXPECT_EQ(read_integer, whole ? std::optional<int32_t>(-2) : std::nullopt);
        EXPECT_EQ(read_port, whole ? 3495 : 7);
        EXPECT_EQ(read_flag, whole);
    }
    ASSERT_EQ(read_hosts.Count(), 5);
    EXPECT_EQ(read_hosts.At(0).View(), "held");
    EXPECT_EQ(read_hosts.At(4).View(), "b");
}

// A layout and its slots that disagree are the caller's fault, never a
// blob quietly written or read out of step.
TEST(BlobLayout, MissingOrMistypedSlotIsUnexpected) {
    constexpr BlobField kTwo[] = {{"host", BlobKind::CountedText}, {"ttl", BlobKind::Integer}};
    Text host;
    int32_t ttl = 0;
    uint16_t short_ttl = 0;
    auto code = [](auto run) {
        try {
            run();
        } catch (const HResultError& error) {
            return error.Code();
        }
        return S_OK;
    };
    BlobValue blob({1, 0, 0, 0, 0, 5, 0, 0, 0});
    BlobReader reader(blob.Get());
    BlobWriter writer;
    EXPECT_EQ(code([&] { WriteLayout(writer, kTwo, {{"host", host}}); }), E_UNEXPECTED);
    EXPECT_EQ(code([&] {
                  WriteLayout(writer, kTwo, {{"host", host}, {"ttl", short_ttl}});
              }),
              E_UNEXPECTED);
    EXPECT_EQ(code([&] {
                  ReadLayout(reader, kTwo, {{"host", ttl}, {"ttl", host}});
              }),
              E_UNEXPECTED);
    EXPECT_EQ(code([&] { ReadLayout(reader, kTwo, {{"ttl", ttl}}); }), E_UNEXPECTED);
}

}  // namespace
}  // namespace vantrel::test
