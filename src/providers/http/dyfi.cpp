// The DyFi updater.
#include "contract/updater.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class DyFi : public Updater {
public:
    DyFi() : Updater(kDyFiClass, ProxySupport::Stored) {}
};

}  // namespace

const ClassInfo kDyFiClass{kDyFiIdentity,
                           VANTREL_ID_DYFI,
                           137,
                           0,
                           0,
                           Aggregation::Allowed,
                           CreateObject<DyFi, Aggregation::Allowed>};

}  // namespace vantrel
