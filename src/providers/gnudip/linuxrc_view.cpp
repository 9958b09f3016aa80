// The GnuDIP2View configuration page (LinuxRC): user or host name, domain
// (the edit part of combo box 214) and password. No handlers of its own.
#include "views/template_page.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

constexpr PageField kFields[] = {
    {PageField::Kind::CountedText, 201},
    {PageField::Kind::CountedText, 214},
    {PageField::Kind::CountedText, 202},
};

class GnuDIP2View : public TemplatePage {
public:
    GnuDIP2View() : TemplatePage(kGnuDIP2ViewClass, "LinuxRC Network", 126, kFields) {}
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
