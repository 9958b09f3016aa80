// The DyFiView configuration page.
#include "contract/view.h"
#include "providers/classes.h"
#include "providers/http/services.h"

#include <string>

namespace vantrel {

namespace {

const char* DyFiDisplayName() {
    static const std::string name =
        std::string(kDyFiService.domain_name) + " - Dynamic DNS for Finnish users";
    return name.c_str();
}

class DyFiView : public View {
public:
    DyFiView() : View(kDyFiViewClass, DyFiDisplayName()) {}
};

}  // namespace

const ClassInfo kDyFiViewClass{kDyFiViewIdentity,
                               VANTREL_ID_DYFI,
                               139,
                               138,
                               140,
                               Aggregation::Allowed,
                               CreateObject<DyFiView, Aggregation::Allowed>};

}  // namespace vantrel
