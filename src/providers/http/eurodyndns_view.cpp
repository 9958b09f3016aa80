// The EuroDynDns configuration page: host-name list, user name, password.
#include "views/template_page.h"
#include "providers/classes.h"
#include "providers/http/services.h"

namespace vantrel {

namespace {

constexpr PageField kFields[] = {
    {PageField::Kind::HostList, 206},
    {PageField::Kind::CountedText, 202},
    {PageField::Kind::CountedText, 203},
};

class EuroDynDns : public TemplatePage {
public:
    EuroDynDns() : TemplatePage(kEuroDynDnsClass, kEuroDynDnsService.domain_name, 117, kFields) {}
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
