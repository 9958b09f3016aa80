// Conformance of last-error and unhandled exceptions.
#include <platform/module.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

// Windows keeps the last error per thread.
TEST(LastError, IsPerThread) {
    SetLastError(1234);
    DWORD seen_by_other = 0xDEADBEEF;
    std::thread other([&] {
        seen_by_other = GetLastError();
        SetLastError(99);
    });
    other.join();
    EXPECT_EQ(seen_by_other, 0u);
    EXPECT_EQ(GetLastError(), 1234u);
}

// An unhandled non-continuable exception ends the process with one line
// naming the code.
TEST(RaiseExceptionDeathTest, EndsTheProcessWithOneLine) {
    EXPECT_DEATH(RaiseException(EXCEPTION_ARRAY_BOUNDS_EXCEEDED, EXCEPTION_NONCONTINUABLE, 0,
                                nullptr),
                 "^fatal: unhandled exception 0xC000008C \\(array bounds exceeded\\)\n$");
    EXPECT_DEATH(RaiseException(0xE0000001u, EXCEPTION_NONCONTINUABLE, 0, nullptr),
                 "fatal: unhandled exception 0xE0000001");
}

}  // namespace
