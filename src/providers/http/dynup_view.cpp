// The Dynup configuration page.
#include "contract/view.h"
#include "providers/classes.h"
#include "providers/http/services.h"

namespace vantrel {

namespace {

class Dynup : public View {
public:
    Dynup() : View(kDynupClass, kDynupService.domain_name) {}
};

}  // namespace

const ClassInfo kDynupClass{kDynupIdentity,
                            VANTREL_ID_DYNUP,
                            107,
                            106,
                            108,
                            Aggregation::Refused,
                            CreateObject<Dynup, Aggregation::Refused>};

}  // namespace vantrel
