// A module file that carries type-library text case VT_TYPELIB_CASE.
#include "../module/resource_pack.h"
#include "typelib_cases.h"

namespace {
constexpr const char* kCases[] = {VT_TYPELIB_CASES};
static_assert(sizeof kCases / sizeof kCases[0] == VT_TYPELIB_CASE_COUNT);
}  // namespace

VT_TEST_RESOURCES(vt_test::Resource{0, "TYPELIB", 1, kCases[VT_TYPELIB_CASE]});
