// The DipDNSObj/DipDNS pair.
#include "contract/updater.h"
#include "contract/view.h"
#include "providers/classes.h"
#include "providers/http/services.h"

namespace vantrel {

namespace {

class DipDNSObj : public Updater {
public:
    DipDNSObj() : Updater(kDipDNSObjClass, ProxySupport::Stored) {}
};

class DipDNS : public View {
public:
    DipDNS() : View(kDipDNSClass, "DipDNS Network") {}
};

}  // namespace

// Rows: identity, provider ID, registration resource, toolbox bitmap, page
// dialog, aggregatable, creation function.
const ClassInfo kDipDNSClass{kDipDNSIdentity, VANTREL_ID_DIPDNS, 135, 134, 136,
                             Aggregation::Allowed, CreateObject<DipDNS, Aggregation::Allowed>};
const ClassInfo kDipDNSObjClass{kDipDNSObjIdentity, VANTREL_ID_DIPDNS, 133, 0, 0,
                                Aggregation::Allowed,
                                CreateObject<DipDNSObj, Aggregation::Allowed>};

}  // namespace vantrel
