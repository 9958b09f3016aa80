// The Win2000 configuration page.
#include "contract/view.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class Win2000 : public View {
public:
    Win2000() : View(kWin2000Class, "Windows 2000 DNS Server") {}
};

}  // namespace

const ClassInfo kWin2000Class{kWin2000Identity,
                              VANTREL_ID_WIN2000,
                              120,
                              119,
                              121,
                              Aggregation::Refused,
                              CreateObject<Win2000, Aggregation::Refused>};

}  // namespace vantrel
