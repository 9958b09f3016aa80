// Type-library texts for the fixture modules; case 0 is the valid one.
#pragma once

#define VT_FIXTURE_LIBID "{0A1B2C3D-0000-4000-8000-000000000001}"
#define VT_FIXTURE_CLSID "{0A1B2C3D-0000-4000-8000-0000000000C1}"
#define VT_IID_VIEW "{0A1B2C3D-0000-4000-8000-0000000000A1}"
#define VT_IID_UPDATE "{0A1B2C3D-0000-4000-8000-0000000000A2}"
#define VT_IID_FIXTURE "{0A1B2C3D-0000-4000-8000-0000000000A3}"

#define VT_TYPELIB_VALID                                                         \
    "# fixture library\n"                                                        \
    "library FixtureLib " VT_FIXTURE_LIBID " 1.10 \"Fixture \\\"1.0\\\" Library\"\n" \
    "\n"                                                                         \
    "interface IGView " VT_IID_VIEW " dual \"IGView Interface\"\n"               \
    "method 1 GetDisplayName \"method GetDisplayName\"\n"                        \
    "  # an indented comment with a stray \" quote\n"                            \
    "interface IIPUpdate " VT_IID_UPDATE " plain \"IIPUpdate Interface\"\n"      \
    "method 1 GetID \"method GetID\"\n"                                          \
    "interface IFixture " VT_IID_FIXTURE " oleautomation \"IFixture Interface\"\r\n" \
    "coclass Fixture " VT_FIXTURE_CLSID " \"Fixture Class\" default IFixture\n"

// Each broken text is refused as a whole (TYPE_E_CANTLOADLIBRARY).
#define VT_TYPELIB_CASES                                                                  \
    VT_TYPELIB_VALID,                                                                     \
    "interface IA " VT_IID_VIEW " dual \"before the library\"\n",                          \
    "library L " VT_FIXTURE_LIBID " 1.0 \"unterminated\n",                                 \
    "library L " VT_FIXTURE_LIBID " 1.70000 \"minor too large\"\n",                        \
    "library L " VT_FIXTURE_LIBID " 1.0 \"ok\"\nmethod 1 M \"no interface\"\n",            \
    "library L " VT_FIXTURE_LIBID " 1.0 \"ok\"\ninterface I " VT_IID_VIEW " custom \"k\"\n", \
    "library L " VT_FIXTURE_LIBID " 1.0 \"ok\"\ncoclass C " VT_FIXTURE_CLSID               \
    " \"c\" default IMissing\n",                                                          \
    "library L " VT_FIXTURE_LIBID " 1.0 \"ok\"\nlibrary M " VT_FIXTURE_LIBID " 1.0 \"x\"\n", \
    "library L " VT_FIXTURE_LIBID " 1.0 \"ok\" trailing\n",                                \
    "# only a comment\n"

#define VT_TYPELIB_CASE_COUNT 10
