// Conformance of module loading, last-error and unhandled exceptions with
// their Windows behaviour.
#include <gtest/gtest.h>
#include <platform/codepage.h>
#include <platform/module.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;
const HMODULE kSentinelModule = reinterpret_cast<HMODULE>(0x1234);

std::string TempFile(const char* name, const std::string& content) {
    auto path = std::filesystem::temp_directory_path() /
                (std::string("vt-module-") + std::to_string(getpid()) + "-" + name);
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
}

// Sets last-error to a sentinel, runs the call and checks its result and
// the last-error it leaves.
#define EXPECT_RESULT_AND_ERROR(call, result, error) \
    do {                                             \
        SetLastError(kSentinel);                     \
        EXPECT_EQ(call, result);                     \
        EXPECT_EQ(GetLastError(), DWORD{error});     \
    } while (0)

// Windows fails LoadLibrary with these last-errors and a null handle.
TEST(LoadLibraryExA, FailsWithWindowsErrors) {
    std::string text_file = TempFile("text", "not a module");
    const struct {
        const char* what;
        const char* path;
        DWORD flags;
        DWORD error;
    } cases[] = {
        {"missing file", "/nonexistent/vt.so", 0, ERROR_MOD_NOT_FOUND},
        {"missing data file", "/nonexistent/vt.so", LOAD_LIBRARY_AS_DATAFILE, ERROR_FILE_NOT_FOUND},
        {"not an object", text_file.c_str(), 0, ERROR_BAD_EXE_FORMAT},
        {"data file not an object", text_file.c_str(), LOAD_LIBRARY_AS_DATAFILE,
         ERROR_BAD_EXE_FORMAT},
        {"null path", nullptr, 0, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_RESULT_AND_ERROR(LoadLibraryExA(c.path, nullptr, c.flags), nullptr, c.error);
    }
    std::filesystem::remove(text_file);
}

// Windows counts loads of one file on one handle; the module finds its own
// handle from one of its addresses (without UNCHANGED_REFCOUNT that takes a
// count the caller frees) and its path, truncated to the buffer with
// ERROR_INSUFFICIENT_BUFFER (Vista and later).
TEST(LoadLibraryExA, CountsLoadsAndFindsHandleAndPathOfTheModule) {
    HMODULE first = LoadLibraryExA(VT_FIXTURE_MODULE, nullptr, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(LoadLibraryExA(VT_FIXTURE_MODULE, nullptr, 0), first);
    auto* answer = reinterpret_cast<int (*)()>(GetProcAddress(first, "FixtureAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_RESULT_AND_ERROR(GetProcAddress(first, "Missing"), nullptr, ERROR_PROC_NOT_FOUND);

    const DWORD from = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS;
    const DWORD unchanged = GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    auto address = reinterpret_cast<LPCSTR>(answer);
    HMODULE found = kSentinelModule;
    EXPECT_TRUE(GetModuleHandleExA(from | unchanged, address, &found));
    EXPECT_EQ(found, first);
    found = kSentinelModule;
    EXPECT_TRUE(GetModuleHandleExA(from, address, &found));
    EXPECT_EQ(found, first);
    HMODULE executable = kSentinelModule;
    EXPECT_TRUE(GetModuleHandleExA(unchanged, nullptr, &executable));
    EXPECT_TRUE(GetModuleHandleExA(from | unchanged, reinterpret_cast<LPCSTR>(&TempFile), &found));
    EXPECT_EQ(found, executable) << "code linked into the executable is the executable's";
    EXPECT_RESULT_AND_ERROR(GetModuleHandleExA(from, reinterpret_cast<LPCSTR>(0x10), &found), FALSE,
                            ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(found, nullptr);

    std::string expected = std::filesystem::canonical(VT_FIXTURE_MODULE).string();
    char buffer[4096];
    EXPECT_RESULT_AND_ERROR(GetModuleFileNameA(first, buffer, sizeof buffer), expected.size(),
                            kSentinel);
    EXPECT_EQ(std::string(buffer), expected);
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_RESULT_AND_ERROR(GetModuleFileNameA(first, buffer, 5), 5u, ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(buffer), expected.substr(0, 4));
    EXPECT_RESULT_AND_ERROR(GetModuleFileNameA(kSentinelModule, buffer, sizeof buffer), 0u,
                            ERROR_INVALID_HANDLE);

    for (int loads = 3; loads > 0; --loads) {
        EXPECT_TRUE(FreeLibrary(first));
    }
    EXPECT_RESULT_AND_ERROR(FreeLibrary(first), FALSE, ERROR_INVALID_HANDLE);
}

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
    EXPECT_DEATH(
        RaiseException(EXCEPTION_ARRAY_BOUNDS_EXCEEDED, EXCEPTION_NONCONTINUABLE, 0, nullptr),
        "^fatal: unhandled exception 0xC000008C \\(array bounds exceeded\\)\n$");
    EXPECT_DEATH(RaiseException(0xE0000001u, EXCEPTION_NONCONTINUABLE, 0, nullptr),
                 "fatal: unhandled exception 0xE0000001");
}

}  // namespace
