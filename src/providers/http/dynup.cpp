// The DynupObj updater.
#include "contract/updater.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class DynupObj : public Updater {
public:
    DynupObj() : Updater(kDynupObjClass, ProxySupport::Stored) {}
};

}  // namespace

const ClassInfo kDynupObjClass{kDynupObjIdentity,
                               VANTREL_ID_DYNUP,
                               109,
                               0,
                               0,
                               Aggregation::Refused,
                               CreateObject<DynupObj, Aggregation::Refused>};

}  // namespace vantrel
