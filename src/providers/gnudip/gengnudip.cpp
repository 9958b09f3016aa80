// The GenGnuDIPObj/GenGnuDIPView pair (Generic GnuDIP2: a server of the user's choice).
#include "contract/updater.h"
#include "providers/gnudip/gnudip_settings.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class GenGnuDIPObj : public SettingsUpdater<GenGnuDIPSettings, ReadGenGnuDIPSettings> {
public:
    GenGnuDIPObj() : SettingsUpdater(kGenGnuDIPObjClass, ProxySupport::Stored) {}

protected:
    // FIXME: not carried out until the GnuDIP client is built.
    HRESULT RunUpdate(const Text&) override { return E_NOTIMPL; }
};

}  // namespace

const ClassInfo kGenGnuDIPObjClass{kGenGnuDIPObjIdentity,
                                   VANTREL_ID_GENGNUDIP,
                                   127,
                                   0,
                                   0,
                                   Aggregation::Allowed,
                                   CreateObject<GenGnuDIPObj, Aggregation::Allowed>};
// Dialogs 131 and 132 are the view's two server-settings dialogs.

}  // namespace vantrel
