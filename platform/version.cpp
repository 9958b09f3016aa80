// The stand-in platform's own version, for hosts that report it.
#include <platform/com.h>

VT_EXTERN_C VT_PLATFORM_API const char* VtPlatformVersion(void) { return "2.1.0"; }
