// The DynamObj updater.
#include "contract/updater.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class DynamObj : public Updater {
public:
    DynamObj() : Updater(kDynamObjClass, ProxySupport::Stored) {}
};

}  // namespace

const ClassInfo kDynamObjClass{kDynamObjIdentity,
                               VANTREL_ID_DYNAM,
                               105,
                               0,
                               0,
                               Aggregation::Refused,
                               CreateObject<DynamObj, Aggregation::Refused>};

}  // namespace vantrel
