// The Dynam configuration page.
#include "contract/view.h"
#include "providers/classes.h"
#include "providers/http/services.h"

namespace vantrel {

namespace {

class Dynam : public View {
public:
    Dynam() : View(kDynamClass, kDynamService.domain_name) {}
};

}  // namespace

const ClassInfo kDynamClass{kDynamIdentity,
                            VANTREL_ID_DYNAM,
                            103,
                            102,
                            104,
                            Aggregation::Refused,
                            CreateObject<Dynam, Aggregation::Refused>};

}  // namespace vantrel
