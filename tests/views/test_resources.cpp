// The test program's own resources: the test page's dialog template, laid
// out like the module's pages (196 x 148 units in 8-point MS Sans Serif).
#include "platform/module/resource_pack.h"
#include "views/test_page.h"

namespace vantrel::test {

const ClassInfo kTestPageClass{kTestPageIdentity,
                               99,
                               0,
                               0,
                               kTestTemplate,
                               Aggregation::Refused,
                               CreateObject<TestPage, Aggregation::Refused>};

}  // namespace vantrel::test

namespace {

constexpr std::string_view kTestTemplateText = R"(200 DIALOG 0, 0, 196, 148
STYLE DS_SETFONT | DS_CONTROL | WS_CHILD
FONT 8, "MS Sans Serif"
BEGIN
    LTEXT "Hostname:", -1, 12, 20, 35, 8
    EDITTEXT 201, 51, 15, 131, 14, ES_AUTOHSCROLL
    CONTROL "Offline", 219, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 40, 50, 10
END
)";

}  // namespace

VT_TEST_RESOURCES(vt_test::Resource{5, "", vantrel::test::kTestTemplate, kTestTemplateText});
