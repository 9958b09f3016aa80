// The DynupObj/Dynup pair.
#include "contract/updater.h"
#include "contract/view.h"
#include "providers/classes.h"
#include "providers/http/services.h"

namespace vantrel {

namespace {

class DynupObj : public Updater {
public:
    DynupObj() : Updater(kDynupObjClass, ProxySupport::Stored) {}
};

class Dynup : public View {
public:
    Dynup() : View(kDynupClass, kDynupService.domain_name) {}
};

}  // namespace

const ClassInfo kDynupClass{kDynupIdentity, VANTREL_ID_DYNUP, 107, 106, 108, Aggregation::Refused,
                            CreateObject<Dynup, Aggregation::Refused>};
const ClassInfo kDynupObjClass{kDynupObjIdentity, VANTREL_ID_DYNUP, 109, 0, 0,
                               Aggregation::Refused, CreateObject<DynupObj, Aggregation::Refused>};

}  // namespace vantrel
