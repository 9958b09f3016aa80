// A small module for the module tests: resources, one export, and a
// constructor whose effect shows whether the file was run.
#include "resource_pack.h"

#include <platform/com.h>

#include <cstdlib>

VT_TEST_RESOURCES(vt_test::Resource{16, "", 1, "version-record"},
                  vt_test::Resource{0, "REGISTRY", 135, "HKCR { script }"},
                  vt_test::Resource{0, "TYPELIB", 1, ""},
                  vt_test::Resource{0, "REGISTRY", 133, "second script"});

__attribute__((constructor)) static void MarkLoaded() { setenv("VT_FIXTURE_RAN", "1", 1); }

VT_EXTERN_C VT_PLATFORM_API int FixtureAnswer(void) { return 42; }
