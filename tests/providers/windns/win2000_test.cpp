// Win2000Obj against the scripted DNS peer: what the updater settles
// itself, before or instead of sending. (Addresses inet_addr refuses are
// checked against named.)
#include <platform/winsock.h>

#include "dns_peer.h"
#include "providers/classes.h"
#include "updater_fixture.h"

namespace vantrel::test {
namespace {

using vantrel::testing::DnsPeer;

BlobFields Settings() {
    return [](BlobWriter& w) {
        w.BareText("localhost");
        w.BareText("host.vantrel.test");
        w.Integer(300);
        w.BareText("");
        w.BareText("");
        w.BareText("");
        w.Integer(0x10);
    };
}

// The updater does not start the socket library: a server given by name
// resolves only once the host has started it, as on Windows.
TEST(Win2000Obj, ServerNameNeedsTheHostsSocketLibrary) {
    DnsPeer peer;
    ASSERT_EQ(VtResolverAddConnectTo("127.0.0.1", 53, "127.0.0.1", peer.Port()), 0);
    ComPtr<IIPUpdate> updater = MakeUpdater(kWin2000ObjClass);
    GiveSettings(updater.Get(), Settings());
    RunResult run = RunUpdate(updater.Get(), "203.0.113.7");
    EXPECT_EQ(run.message, "Error trying to convert the IP for server: localhost");
    EXPECT_TRUE(peer.Received().empty());

    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    run = RunUpdate(updater.Get(), "203.0.113.7");
    WSACleanup();
    VtResolverClearConnectTo();
    EXPECT_EQ(run.status, VANTREL_STATUS_ACCEPTED) << run.message;
    EXPECT_EQ(peer.Updates().size(), 1u);
}

}  // namespace
}  // namespace vantrel::test
