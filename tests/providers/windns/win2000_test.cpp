// Win2000Obj settles this itself, before sending: a server given by name.
// (Whole updates and addresses inet_addr refuses are checked against named.)
#include <platform/winsock.h>

#include "providers/classes.h"
#include "updater_fixture.h"

namespace vantrel::test {
namespace {

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
// resolves only once the host has started it, as on Windows. Port 1 has
// no listener, so the update then times out at once.
TEST(Win2000Obj, ServerNameNeedsTheHostsSocketLibrary) {
    ASSERT_EQ(VtResolverAddConnectTo("127.0.0.1", 53, "127.0.0.1", 1), 0);
    ComPtr<IIPUpdate> updater = MakeUpdater(kWin2000ObjClass);
    GiveSettings(updater.Get(), Settings());
    RunResult run = RunUpdate(updater.Get(), "203.0.113.7");
    EXPECT_EQ(run.message, "Error trying to convert the IP for server: localhost");

    WSADATA data{};
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    run = RunUpdate(updater.Get(), "203.0.113.7");
    WSACleanup();
    VtResolverClearConnectTo();
    EXPECT_EQ(run.message,
              "Error (1460) trying to update the A record for record domain name: "
              "host.vantrel.test");
}

}  // namespace
}  // namespace vantrel::test
