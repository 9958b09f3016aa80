#include "update_bench_support.h"

#include "contract/blob.h"
#include "providers/classes.h"
#include "providers/http/services.h"

#include <platform/winsock.h>

namespace vantrel::bench {

ComPtr<IIPUpdate> MakeDipDnsUpdater(uint16_t port) {
    VtResolverAddConnectTo(kDipDnsService.update_host, 80, "127.0.0.1", port);
    ComPtr<IIPUpdate> updater;
    if (kDipDNSObjClass.create(nullptr, IID_IIPUpdate, updater.PutVoid()) != S_OK) {
        return nullptr;
    }
    BlobWriter writer;
    const Text hosts[] = {Text("home.dipdns.test")};
    writer.CountedTextList(hosts);
    writer.CountedText("7d1f3c2a9b");
    VARIANT value;
    VariantInit(&value);
    if (writer.ToVariant(&value) != S_OK) {
        return nullptr;
    }
    updater->SetData(value);
    VariantClear(&value);
    return updater;
}

}  // namespace vantrel::bench
