// The GnuDIP2Obj/GnuDIP2View pair (LinuxRC: GnuDIP over TCP to the network's fixed server).
#include "contract/updater.h"
#include "providers/gnudip/gnudip_settings.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class GnuDIP2Obj : public SettingsUpdater<LinuxRcSettings, ReadLinuxRcSettings> {
public:
    // The fixed server is reached directly, never through a proxy.
    GnuDIP2Obj() : SettingsUpdater(kGnuDIP2ObjClass, ProxySupport::Refused) {}

protected:
    // FIXME: not carried out until the GnuDIP client is built.
    HRESULT RunUpdate(const Text&) override { return E_NOTIMPL; }
};

}  // namespace

const ClassInfo kGnuDIP2ObjClass{kGnuDIP2ObjIdentity,
                                 VANTREL_ID_LINUXRC,
                                 123,
                                 0,
                                 0,
                                 Aggregation::Allowed,
                                 CreateObject<GnuDIP2Obj, Aggregation::Allowed>};

}  // namespace vantrel
