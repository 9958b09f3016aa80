// The DipDNS configuration page.
#include "contract/view.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class DipDNS : public View {
public:
    DipDNS() : View(kDipDNSClass, "DipDNS Network") {}
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
