// The Dynam configuration page: host name, user name, password.
#include "providers/classes.h"
#include "providers/http/layouts.h"
#include "providers/http/services.h"
#include "views/template_page.h"

namespace vantrel {

namespace {

class Dynam : public TemplatePage {
public:
    Dynam()
        : TemplatePage(kDynamClass, kDynamService.domain_name, 104, kHostLoginLayout,
                       kHostUserPasswordControls) {}
};

}  // namespace

const ClassInfo kDynamClass{kDynamIdentity,
                            VANTREL_ID_DYNAM,
                            103,
                            102,
                            104,
                            Aggregation::Refused,
                            CreateObject<Dynam, Aggregation::Refused>};

}  // namespace vantrel
