// The DyFiView configuration page: host-name list, user name, password
// and the offline flag.
#include "views/template_page.h"
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

constexpr PageField kFields[] = {
    {PageField::Kind::HostList, 206},
    {PageField::Kind::CountedText, 202},
    {PageField::Kind::CountedText, 203},
    {PageField::Kind::Flag, 219},
};

class DyFiView : public TemplatePage {
public:
    DyFiView() : TemplatePage(kDyFiViewClass, DyFiDisplayName(), 140, kFields) {}
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
