// The DyFi/DyFiView pair.
#include "contract/updater.h"
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

class DyFi : public Updater {
public:
    DyFi() : Updater(kDyFiClass, ProxySupport::Stored) {}
};

class DyFiView : public View {
public:
    DyFiView() : View(kDyFiViewClass, DyFiDisplayName()) {}
};

}  // namespace

const ClassInfo kDyFiClass{kDyFiIdentity, VANTREL_ID_DYFI, 137, 0, 0, Aggregation::Allowed,
                           CreateObject<DyFi, Aggregation::Allowed>};
const ClassInfo kDyFiViewClass{kDyFiViewIdentity, VANTREL_ID_DYFI, 139, 138, 140,
                               Aggregation::Allowed, CreateObject<DyFiView, Aggregation::Allowed>};

}  // namespace vantrel
