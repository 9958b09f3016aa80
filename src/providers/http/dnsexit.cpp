// The DnsExit/DnsExitView pair.
#include "contract/updater.h"
#include "contract/view.h"
#include "providers/classes.h"
#include "providers/http/services.h"

namespace vantrel {

namespace {

class DnsExit : public Updater {
public:
    DnsExit() : Updater(kDnsExitClass, ProxySupport::Stored) {}
};

class DnsExitView : public View {
public:
    DnsExitView() : View(kDnsExitViewClass, kDnsExitService.domain_name) {}
};

}  // namespace

const ClassInfo kDnsExitClass{kDnsExitIdentity, VANTREL_ID_DNSEXIT, 110, 0, 0,
                              Aggregation::Refused, CreateObject<DnsExit, Aggregation::Refused>};
const ClassInfo kDnsExitViewClass{kDnsExitViewIdentity, VANTREL_ID_DNSEXIT, 112, 111, 113,
                                  Aggregation::Refused,
                                  CreateObject<DnsExitView, Aggregation::Refused>};

}  // namespace vantrel
