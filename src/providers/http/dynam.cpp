// The DynamObj/Dynam pair.
#include "contract/updater.h"
#include "contract/view.h"
#include "providers/classes.h"
#include "providers/http/services.h"

namespace vantrel {

namespace {

class DynamObj : public Updater {
public:
    DynamObj() : Updater(kDynamObjClass, ProxySupport::Stored) {}
};

class Dynam : public View {
public:
    Dynam() : View(kDynamClass, kDynamService.domain_name) {}
};

}  // namespace

const ClassInfo kDynamClass{kDynamIdentity, VANTREL_ID_DYNAM, 103, 102, 104, Aggregation::Refused,
                            CreateObject<Dynam, Aggregation::Refused>};
const ClassInfo kDynamObjClass{kDynamObjIdentity, VANTREL_ID_DYNAM, 105, 0, 0,
                               Aggregation::Refused, CreateObject<DynamObj, Aggregation::Refused>};

}  // namespace vantrel
