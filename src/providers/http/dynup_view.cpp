// The Dynup configuration page: host name and password.
#include "views/template_page.h"
#include "providers/classes.h"
#include "providers/http/services.h"

namespace vantrel {

namespace {

constexpr PageField kFields[] = {
    {PageField::Kind::CountedText, 201},
    {PageField::Kind::CountedText, 203},
};

class Dynup : public TemplatePage {
public:
    Dynup() : TemplatePage(kDynupClass, kDynupService.domain_name, 108, kFields) {}
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
