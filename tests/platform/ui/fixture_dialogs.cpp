// A module whose only resources are dialog templates, for loading pages
// through FindResourceA as a module does.
#include "../module/resource_pack.h"

VT_TEST_RESOURCES(vt_test::Resource{5, "", 140, R"(140 DIALOG 0, 0, 196, 148
STYLE DS_SETFONT | DS_CONTROL | WS_CHILD
FONT 8, "MS Sans Serif"
BEGIN
    EDITTEXT 201, 51, 15, 131, 14, ES_AUTOHSCROLL
    CONTROL "Set as offline:", 219, "Button", BS_AUTOCHECKBOX | BS_LEFTTEXT | WS_TABSTOP, 12, 125, 56, 10
END
)"},
                  vt_test::Resource{5, "", 141, "141 DIALOG 0, 0, 10, 10\nBEGIN\nSLIDER 1, 1, 1, 1, 1\nEND"});
