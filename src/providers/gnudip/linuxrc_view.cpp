// The GnuDIP2View configuration page (LinuxRC): user or host name, domain
// (the edit part of combo box 214) and password. No handlers of its own.
#include "providers/classes.h"
#include "providers/gnudip/gnudip_layouts.h"
#include "views/template_page.h"

namespace vantrel {

namespace {

// The domain is the edit part of combo box 214.
constexpr PageControl kControls[] = {{"user", 201}, {"domain", 214}, {"password", 202}};

class GnuDIP2View : public TemplatePage {
public:
    GnuDIP2View()
        : TemplatePage(kGnuDIP2ViewClass, "LinuxRC Network", 126, kLinuxRcLayout, kControls) {}
};

}  // namespace

const ClassInfo kGnuDIP2ViewClass{kGnuDIP2ViewIdentity,
                                  VANTREL_ID_LINUXRC,
                                  125,
                                  124,
                                  126,
                                  Aggregation::Refused,
                                  CreateObject<GnuDIP2View, Aggregation::Refused>};

}  // namespace vantrel
