// The GenGnuDIPView configuration page.
#include "contract/view.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class GenGnuDIPView : public View {
public:
    GenGnuDIPView() : View(kGenGnuDIPViewClass, "Generic GnuDIP2") {}
};

}  // namespace

const ClassInfo kGenGnuDIPViewClass{kGenGnuDIPViewIdentity,
                                    VANTREL_ID_GENGNUDIP,
                                    129,
                                    128,
                                    130,
                                    Aggregation::Refused,
                                    CreateObject<GenGnuDIPView, Aggregation::Refused>};

}  // namespace vantrel
