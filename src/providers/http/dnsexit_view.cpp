// The DnsExitView configuration page: host name, user name, password.
#include "providers/classes.h"
#include "providers/http/layouts.h"
#include "providers/http/services.h"
#include "views/template_page.h"

namespace vantrel {

namespace {

class DnsExitView : public TemplatePage {
public:
    DnsExitView()
        : TemplatePage(kDnsExitViewClass, kDnsExitService.domain_name, 113, kHostLoginLayout,
                       kHostUserPasswordControls) {}
};

}  // namespace

const ClassInfo kDnsExitViewClass{kDnsExitViewIdentity,
                                  VANTREL_ID_DNSEXIT,
                                  112,
                                  111,
                                  113,
                                  Aggregation::Refused,
                                  CreateObject<DnsExitView, Aggregation::Refused>};

}  // namespace vantrel
