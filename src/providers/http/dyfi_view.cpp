// The DyFiView configuration page: host-name list, user name, password
// and the offline flag.
#include "providers/classes.h"
#include "providers/http/layouts.h"
#include "providers/http/services.h"
#include "views/template_page.h"

#include <string>

namespace vantrel {

namespace {

const char* DyFiDisplayName() {
    static const std::string name =
        std::string(kDyFiService.domain_name) + " - Dynamic DNS for Finnish users";
    return name.c_str();
}

constexpr PageControl kControls[] = {
    {"host", 206}, {"user", 202}, {"password", 203}, {"offline", 219}};

class DyFiView : public TemplatePage {
public:
    DyFiView() : TemplatePage(kDyFiViewClass, DyFiDisplayName(), 140, kDyFiLayout, kControls) {}
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
