// The EuroDynDns configuration page.
#include "contract/view.h"
#include "providers/classes.h"
#include "providers/http/services.h"

namespace vantrel {

namespace {

class EuroDynDns : public View {
public:
    EuroDynDns() : View(kEuroDynDnsClass, kEuroDynDnsService.domain_name) {}
};

}  // namespace

const ClassInfo kEuroDynDnsClass{kEuroDynDnsIdentity,
                                 VANTREL_ID_EURODYNDNS,
                                 116,
                                 115,
                                 117,
                                 Aggregation::Allowed,
                                 CreateObject<EuroDynDns, Aggregation::Allowed>};

}  // namespace vantrel
