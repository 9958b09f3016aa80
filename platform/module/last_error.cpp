// Per-thread last error and unhandled structured exceptions.
#include <platform/module.h>

#include <cstdio>
#include <cstdlib>

namespace {

thread_local DWORD t_last_error = 0;

const char* ExceptionName(DWORD code) {
    switch (code) {
    case 0xC0000005u: return "access violation";
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return "array bounds exceeded";
    case 0xC0000094u: return "integer divide by zero";
    case 0xC00000FDu: return "stack overflow";
    case 0xC0000017u: return "no memory";
    default: return nullptr;
    }
}

}  // namespace

VT_EXTERN_C VT_PLATFORM_API DWORD GetLastError(void) { return t_last_error; }

VT_EXTERN_C VT_PLATFORM_API void SetLastError(DWORD error) { t_last_error = error; }

// There are no structured exception handlers here, so every raised
// exception is unhandled and ends the process, continuable or not.
VT_EXTERN_C VT_PLATFORM_API void RaiseException(DWORD code, DWORD, DWORD, const uintptr_t*) {
    if (const char* name = ExceptionName(code))
        std::fprintf(stderr, "fatal: unhandled exception 0x%08X (%s)\n", code, name);
    else
        std::fprintf(stderr, "fatal: unhandled exception 0x%08X\n", code);
    std::fflush(stderr);
    std::abort();
}
