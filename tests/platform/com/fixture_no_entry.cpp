// A module without DllGetClassObject.
#include <platform/com.h>

VT_EXTERN_C VT_PLATFORM_API int FixtureNothing(void) { return 0; }
