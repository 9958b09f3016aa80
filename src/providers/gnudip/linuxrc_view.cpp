// The GnuDIP2View configuration page.
#include "contract/view.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class GnuDIP2View : public View {
public:
    GnuDIP2View() : View(kGnuDIP2ViewClass, "LinuxRC Network") {}
};

}  // namespace

const ClassInfo kGnuDIP2ViewClass{kGnuDIP2ViewIdentity,
                                  VANTREL_ID_LINUXRC,
                                  125,
                                  124,
                                  126,
                                  Aggregation::Refused,
                                  CreateObject<GnuDIP2View, Aggregation::Refused>};

}  // namespace vantrel
