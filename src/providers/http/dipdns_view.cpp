// The DipDNS configuration page: host-name list and key.
#include "providers/classes.h"
#include "providers/http/layouts.h"
#include "views/template_page.h"

namespace vantrel {

namespace {

constexpr PageControl kControls[] = {{"host", 206}, {"key", 202}};

class DipDNS : public TemplatePage {
public:
    DipDNS() : TemplatePage(kDipDNSClass, "DipDNS Network", 136, kDipDnsLayout, kControls) {}
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
