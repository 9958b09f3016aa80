// The DipDNSObj updater.
#include "contract/updater.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class DipDNSObj : public Updater {
public:
    DipDNSObj() : Updater(kDipDNSObjClass, ProxySupport::Stored) {}
};

}  // namespace

// Rows: identity, provider ID, registration resource, toolbox bitmap, page
// dialog, aggregatable, creation function.
const ClassInfo kDipDNSObjClass{kDipDNSObjIdentity,
                                VANTREL_ID_DIPDNS,
                                133,
                                0,
                                0,
                                Aggregation::Allowed,
                                CreateObject<DipDNSObj, Aggregation::Allowed>};

}  // namespace vantrel
