#include "update_bench_support.h"

#include "contract/blob.h"
#include "providers/classes.h"
#include "providers/gnudip/linuxrc_server.h"
#include "providers/http/services.h"

#include <platform/winsock.h>

namespace vantrel::bench {

namespace {

ComPtr<IIPUpdate> MakeUpdater(const ClassInfo& info, const BlobWriter& writer) {
    ComPtr<IIPUpdate> updater;
    if (info.create(nullptr, IID_IIPUpdate, updater.PutVoid()) != S_OK) {
        return nullptr;
    }
    VARIANT value;
    VariantInit(&value);
    if (writer.ToVariant(&value) != S_OK) {
        return nullptr;
    }
    updater->SetData(value);
    VariantClear(&value);
    return updater;
}

}  // namespace

ComPtr<IIPUpdate> MakeDipDnsUpdater(uint16_t port) {
    VtResolverAddConnectTo(kDipDnsService.update_host, 80, "127.0.0.1", port);
    BlobWriter writer;
    const Text hosts[] = {Text("home.dipdns.test")};
    writer.CountedTextList(hosts);
    writer.CountedText("7d1f3c2a9b");
    return MakeUpdater(kDipDNSObjClass, writer);
}

ComPtr<IIPUpdate> MakeLinuxRcUpdater(uint16_t gnudip_port) {
    VtResolverAddConnectTo(kLinuxRcServerHost, kLinuxRcServerPort, "127.0.0.1", gnudip_port);
    BlobWriter writer;
    writer.CountedText("lin");
    writer.CountedText("linuxrc.test");
    writer.CountedText("penguin-pw");
    return MakeUpdater(kGnuDIP2ObjClass, writer);
}

}  // namespace vantrel::bench
