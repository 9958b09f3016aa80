// The DnsExit updater.
#include "contract/updater.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class DnsExit : public Updater {
public:
    DnsExit() : Updater(kDnsExitClass, ProxySupport::Stored) {}
};

}  // namespace

const ClassInfo kDnsExitClass{kDnsExitIdentity,
                              VANTREL_ID_DNSEXIT,
                              110,
                              0,
                              0,
                              Aggregation::Refused,
                              CreateObject<DnsExit, Aggregation::Refused>};

}  // namespace vantrel
