// The EuroDynDnsObj updater.
#include "contract/updater.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class EuroDynDnsObj : public Updater {
public:
    EuroDynDnsObj() : Updater(kEuroDynDnsObjClass, ProxySupport::Stored) {}
};

}  // namespace

const ClassInfo kEuroDynDnsObjClass{kEuroDynDnsObjIdentity,
                                    VANTREL_ID_EURODYNDNS,
                                    114,
                                    0,
                                    0,
                                    Aggregation::Refused,
                                    CreateObject<EuroDynDnsObj, Aggregation::Refused>};

}  // namespace vantrel
