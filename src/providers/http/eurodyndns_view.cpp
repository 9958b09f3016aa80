// The EuroDynDns configuration page: host-name list, user name, password.
#include "providers/classes.h"
#include "providers/http/layouts.h"
#include "providers/http/services.h"
#include "views/template_page.h"

namespace vantrel {

namespace {

constexpr PageControl kControls[] = {{"host", 206}, {"user", 202}, {"password", 203}};

class EuroDynDns : public TemplatePage {
public:
    EuroDynDns()
        : TemplatePage(kEuroDynDnsClass, kEuroDynDnsService.domain_name, 117, kEuroDynDnsLayout,
                       kControls) {}
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
