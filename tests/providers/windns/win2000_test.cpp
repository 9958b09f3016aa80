// Win2000Obj against the scripted DNS peer: what the updater settles
// itself, before or instead of sending.
#include <platform/winsock.h>

#include "dns_peer.h"
#include "providers/classes.h"
#include "updater_fixture.h"

namespace vantrel::test {
namespace {

using vantrel::testing::DnsPeer;

BlobFields Settings(const char* server) {
    return [=](BlobWriter& w) {
        w.BareText(server);
        w.BareText("host.vantrel.test");
        w.Integer(300);
        w.BareText("");
        w.BareText("");
        w.BareText("");
        w.Integer(0x10);
    };
}

ComPtr<IIPUpdate> UpdaterFor(const DnsPeer& peer, const char* server) {
    VtResolverClearConnectTo();
    VtResolverAddConnectTo("127.0.0.1", 53, "127.0.0.1", peer.Port());
    ComPtr<IIPUpdate> updater = MakeUpdater(kWin2000ObjClass);
    GiveSettings(updater.Get(), Settings(server));
    return updater;
}

// inet_addr gives INADDR_NONE for these, 255.255.255.255 included.
TEST(Win2000Obj, RefusesAddressesInetAddrCannotConvert) {
    DnsPeer peer;
    ComPtr<IIPUpdate> updater = UpdaterFor(peer, "127.0.0.1");
    for (const char* address : {"1.2.3", "255.255.255.255", "", "1.2.3.4.5"}) {
        RunResult run = RunUpdate(updater.Get(), address);
        EXPECT_EQ(run.hr, E_FAIL) << address;
        EXPECT_EQ(run.status, VANTREL_STATUS_NOT_DONE) << address;
        EXPECT_EQ(run.message, std::string("Error trying to convert the IP: ") + address);
    }
    EXPECT_TRUE(peer.Received().empty());
    RunResult run = RunUpdate(updater.Get(), "203.0.113.7");
    EXPECT_EQ(run.hr, S_OK);
    EXPECT_EQ(run.status, VANTREL_STATUS_ACCEPTED);
    EXPECT_EQ(peer.Updates().size(), 1u);
}

// The updater does not start the socket library: a server given by name
// resolves only once the host has started it, as on Windows.
TEST(Win2000Obj, ServerNameNeedsTheHostsSocketLibrary) {
    DnsPeer peer;
    ComPtr<IIPUpdate> updater = UpdaterFor(peer, "localhost");
    RunResult run = RunUpdate(updater.Get(), "203.0.113.7");
    EXPECT_EQ(run.message, "Error trying to convert the IP for server: localhost");
    EXPECT_TRUE(peer.Received().empty());

    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    run = RunUpdate(updater.Get(), "203.0.113.7");
    WSACleanup();
    EXPECT_EQ(run.status, VANTREL_STATUS_ACCEPTED) << run.message;
    EXPECT_EQ(peer.Updates().size(), 1u);
}

}  // namespace
}  // namespace vantrel::test
