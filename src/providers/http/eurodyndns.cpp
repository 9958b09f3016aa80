// The EuroDynDnsObj/EuroDynDns pair.
#include "contract/updater.h"
#include "contract/view.h"
#include "providers/classes.h"
#include "providers/http/services.h"

namespace vantrel {

namespace {

class EuroDynDnsObj : public Updater {
public:
    EuroDynDnsObj() : Updater(kEuroDynDnsObjClass, ProxySupport::Stored) {}
};

class EuroDynDns : public View {
public:
    EuroDynDns() : View(kEuroDynDnsClass, kEuroDynDnsService.domain_name) {}
};

}  // namespace

const ClassInfo kEuroDynDnsClass{kEuroDynDnsIdentity, VANTREL_ID_EURODYNDNS, 116, 115, 117,
                                 Aggregation::Allowed,
                                 CreateObject<EuroDynDns, Aggregation::Allowed>};
const ClassInfo kEuroDynDnsObjClass{kEuroDynDnsObjIdentity, VANTREL_ID_EURODYNDNS, 114, 0, 0,
                                    Aggregation::Refused,
                                    CreateObject<EuroDynDnsObj, Aggregation::Refused>};

}  // namespace vantrel
