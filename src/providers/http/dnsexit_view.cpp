// The DnsExitView configuration page.
#include "contract/view.h"
#include "providers/classes.h"
#include "providers/http/services.h"

namespace vantrel {

namespace {

class DnsExitView : public View {
public:
    DnsExitView() : View(kDnsExitViewClass, kDnsExitService.domain_name) {}
};

}  // namespace

const ClassInfo kDnsExitViewClass{kDnsExitViewIdentity,
                                  VANTREL_ID_DNSEXIT,
                                  112,
                                  111,
                                  113,
                                  Aggregation::Refused,
                                  CreateObject<DnsExitView, Aggregation::Refused>};

}  // namespace vantrel
