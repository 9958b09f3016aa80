// The DipDNS configuration page: host-name list and key.
#include "views/template_page.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

constexpr PageField kFields[] = {
    {PageField::Kind::HostList, 206},
    {PageField::Kind::CountedText, 202},
};

class DipDNS : public TemplatePage {
public:
    DipDNS() : TemplatePage(kDipDNSClass, "DipDNS Network", 136, kFields) {}
};

}  // namespace

const ClassInfo kDipDNSClass{kDipDNSIdentity,
                             VANTREL_ID_DIPDNS,
                             135,
                             134,
                             136,
                             Aggregation::Allowed,
                             CreateObject<DipDNS, Aggregation::Allowed>};

}  // namespace vantrel
