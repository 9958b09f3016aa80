// Every provider's page and blob: the settings `vantrel settings` puts on a
// page give exactly the blob the updaters' own tests read, and another page
// reads it back to the same bytes.
#include "module_pages.h"

#include "host/blob_walk.h"
#include "host/providers.h"
#include "providers/layouts.h"

#include <ostream>

namespace vantrel::test {

namespace {

struct PageCase {
    const char* provider;
    const ClassIdentity* view;
    Settings settings;  // host names already in sorted order
    Bytes exact;
};

// Test names and failure lines show the provider, not the row's bytes.
void PrintTo(const PageCase& row, std::ostream* out) {
    *out << row.provider;
}

Bytes Le32(uint32_t n) {
    return {static_cast<BYTE>(n), static_cast<BYTE>(n >> 8), static_cast<BYTE>(n >> 16),
            static_cast<BYTE>(n >> 24)};
}
Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}
Bytes Bare(const std::string& text) {
    Bytes bytes = Le32(static_cast<uint32_t>(text.size()));
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
}
Bytes Counted(const std::string& text) {
    Bytes bytes = Le32(static_cast<uint32_t>(text.size() + 1));
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

// clang-format off
const PageCase kCases[] = {
    {"dipdns", &kDipDNSIdentity, {{"host", "a.example"}, {"host", "b.example"}, {"key", "k3y"}},
     Cat({Le32(2), Counted("a.example"), Counted("b.example"), Counted("k3y")})},
    // A DipDNS blob without hosts starts with a zero count.
    {"dipdns", &kDipDNSIdentity, {{"key", "k3y"}}, Cat({Le32(0), Counted("k3y")})},
    {"dnsexit", &kDnsExitViewIdentity, {{"host", "h.example"}, {"user", "me"}, {"password", "pw"}},
     Cat({Counted("h.example"), Counted("me"), Counted("pw")})},
    {"dyfi", &kDyFiViewIdentity,
     {{"host", "a.example"}, {"host", "b.example"}, {"user", "me"}, {"password", "pw"},
      {"offline", "1"}},
     Cat({Le32(2), Counted("a.example"), Counted("b.example"), Counted("me"), Counted("pw"),
          Le32(1)})},
    {"dynam", &kDynamIdentity, {{"host", "h.example"}, {"user", "me"}, {"password", "pw"}},
     Cat({Counted("h.example"), Counted("me"), Counted("pw")})},
    // Three letters and a NUL, two letters and a NUL, two lengths: 15 bytes.
    {"dynup", &kDynupIdentity, {{"host", "abc"}, {"password", "pw"}},
     Cat({Counted("abc"), Counted("pw")})},
    {"eurodyndns", &kEuroDynDnsIdentity,
     {{"host", "a.example"}, {"host", "b.example"}, {"user", "me"}, {"password", "pw"}},
     Cat({Le32(2), Counted("a.example"), Counted("b.example"), Counted("me"), Counted("pw")})},
    {"linuxrc", &kGnuDIP2ViewIdentity,
     {{"user", "me"}, {"domain", "d.example"}, {"password", "pw"}},
     Cat({Counted("me"), Counted("d.example"), Counted("pw")})},
    {"gnudip", &kGenGnuDIPViewIdentity,
     {{"user", "me"}, {"domain", "d.example"}, {"password", "pw"}, {"request", "1"},
      {"transport", "http"}, {"server", "s.example"}, {"port", "40000"}, {"url", "http://u/x"}},
     Cat({Counted("me"), Counted("d.example"), Counted("pw"), Le32(1), Le32(1), Bare("s.example"),
          Bytes{0x40, 0x9c}, Bare("http://u/x")})},
    // A fresh page: time to live 0 (empty edit), security 16 (no selection).
    {"win2000", &kWin2000Identity, {},
     Cat({Le32(0), Le32(0), Le32(0), Le32(0), Le32(0), Le32(0), Le32(16)})},
    // Texts without their NUL; "secure-only" is security 256.
    {"win2000", &kWin2000Identity,
     {{"server", "10.0.0.1"}, {"name", "r.x"}, {"ttl", "300"}, {"user", "u"}, {"password", "pw"},
      {"domain", "ad"}, {"security", "secure-only"}},
     Cat({Bare("10.0.0.1"), Bare("r.x"), Le32(300), Bare("u"), Bare("pw"), Bare("ad"), Le32(256)})},
};
// clang-format on

class PageBlobs : public ModulePages, public ::testing::WithParamInterface<PageCase> {};

TEST_P(PageBlobs, SettingsBlobReadBackByAnotherPageGivesTheSameBytes) {
    const PageCase& c = GetParam();
    const Bytes written = SettingsBlob(*c.view, c.provider, c.settings);
    EXPECT_EQ(written, c.exact);
    // What a host checks before it hands a blob over holds for every page's.
    const host::Provider* provider = host::FindProvider(c.provider);
    ASSERT_NE(provider, nullptr);
    const host::BlobWalk walk = host::WalkBlob(written, LayoutOf(provider->id));
    EXPECT_FALSE(walk.problem) << host::Describe(*walk.problem);
    // Every view is a frame on a page of the module's resources, with error
    // information for its own interface.
    host::ActiveView second = ActiveView(*c.view);
    LONG x = 1;
    LONG y = 1;
    EXPECT_EQ(second.View()->GetOrgSize(&x, &y), S_OK);
    EXPECT_EQ(x, 294);
    EXPECT_EQ(y, 241);
    host::ComRef<ISupportErrorInfo> support;
    ASSERT_EQ(second.View()->QueryInterface(IID_ISupportErrorInfo, support.Put()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(c.view->own_iid), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IGView), S_FALSE);
    BlobValue blob(written);
    EXPECT_EQ(second.View()->SetData(blob.Get()), S_OK);
    EXPECT_EQ(GetDataBytes(second.View()), written);
}

INSTANTIATE_TEST_SUITE_P(Providers, PageBlobs, ::testing::ValuesIn(kCases), [](const auto& info) {
    return std::string(info.param.provider) + std::to_string(info.index);
});

}  // namespace
}  // namespace vantrel::test
