// The Dynup configuration page: host name and password.
#include "providers/classes.h"
#include "providers/http/layouts.h"
#include "providers/http/services.h"
#include "views/template_page.h"

namespace vantrel {

namespace {

constexpr PageControl kControls[] = {{"host", 201}, {"password", 203}};

class Dynup : public TemplatePage {
public:
    Dynup() : TemplatePage(kDynupClass, kDynupService.domain_name, 108, kDynupLayout, kControls) {}
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
