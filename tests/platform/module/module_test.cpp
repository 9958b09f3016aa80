// Module loading, resources, last-error and unhandled exceptions with their
// Windows behaviour, and robustness against damaged module files.
#include <platform/codepage.h>
#include <platform/module.h>
#include <platform/resource_format.h>

#include <gtest/gtest.h>

#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;
const HMODULE kSentinelModule = reinterpret_cast<HMODULE>(0x1234);

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            ("vt-module-" + std::to_string(getpid()) + "-" + name))
        .string();
}

// Runs the call with last-error set to a sentinel and checks its result
// and the last-error it leaves.
#define EXPECT_RESULT_AND_ERROR(call, result, error) \
    do {                                             \
        SetLastError(kSentinel);                     \
        EXPECT_EQ(call, result);                     \
        EXPECT_EQ(GetLastError(), DWORD{error});     \
    } while (0)

TEST(LoadLibraryExA, FailsWithWindowsErrors) {
    const std::string text_file = TempPath("text");
    std::ofstream(text_file) << "not a module";
    const struct {
        const char* path;
        DWORD flags;
        DWORD error;
    } cases[] = {
        {"/nonexistent/vt.so", 0, ERROR_MOD_NOT_FOUND},
        {"/nonexistent/vt.so", LOAD_LIBRARY_AS_DATAFILE, ERROR_FILE_NOT_FOUND},
        {text_file.c_str(), 0, ERROR_BAD_EXE_FORMAT},
        {text_file.c_str(), LOAD_LIBRARY_AS_DATAFILE, ERROR_BAD_EXE_FORMAT},
        {nullptr, 0, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path ? c.path : "(null)") + " flags " + std::to_string(c.flags));
        EXPECT_RESULT_AND_ERROR(LoadLibraryExA(c.path, nullptr, c.flags), nullptr, c.error);
    }
    std::filesystem::remove(text_file);
}

// Windows counts loads of one file on one handle and truncates a module
// path to the buffer with ERROR_INSUFFICIENT_BUFFER (Vista and later). The
// module's own handle and full path are checked where it registers itself.
TEST(LoadLibraryExA, CountsLoadsAndFindsModules) {
    HMODULE first = LoadLibraryExA(VT_FIXTURE_MODULE, nullptr, 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(LoadLibraryExA(VT_FIXTURE_MODULE, nullptr, 0), first);
    auto* answer = reinterpret_cast<int (*)()>(GetProcAddress(first, "FixtureAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_RESULT_AND_ERROR(GetProcAddress(first, "Missing"), nullptr, ERROR_PROC_NOT_FOUND);

    const DWORD unchanged = GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    const DWORD from = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | unchanged;
    HMODULE executable = kSentinelModule;
    HMODULE found = kSentinelModule;
    EXPECT_TRUE(GetModuleHandleExA(unchanged, nullptr, &executable));
    EXPECT_TRUE(GetModuleHandleExA(from, reinterpret_cast<LPCSTR>(&TempPath), &found));
    EXPECT_EQ(found, executable) << "code linked into the executable is the executable's";
    EXPECT_RESULT_AND_ERROR(GetModuleHandleExA(from, reinterpret_cast<LPCSTR>(0x10), &found), FALSE,
                            ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(found, nullptr);

    const std::string expected = std::filesystem::canonical(VT_FIXTURE_MODULE).string();
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_RESULT_AND_ERROR(GetModuleFileNameA(first, buffer, 5), 5u, ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(buffer), expected.substr(0, 4));
    EXPECT_RESULT_AND_ERROR(GetModuleFileNameA(kSentinelModule, buffer, sizeof buffer), 0u,
                            ERROR_INVALID_HANDLE);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_RESULT_AND_ERROR(FreeLibrary(first), FALSE, ERROR_INVALID_HANDLE);
}

// Windows finds resources by id or "#id", types by id or case-blind name,
// and tells a missing type from a missing name. A data-file load reads the
// file and never runs it: no constructor, no exports.
TEST(FindResourceA, FindsByIdAndNamedType) {
    for (DWORD flags : {DWORD{LOAD_LIBRARY_AS_DATAFILE}, DWORD{0}}) {
        SCOPED_TRACE(flags);
        unsetenv("VT_FIXTURE_RAN");
        HMODULE module = LoadLibraryExA(VT_FIXTURE_MODULE, nullptr, flags);
        ASSERT_NE(module, nullptr);
        if (flags != 0) {
            EXPECT_EQ(std::getenv("VT_FIXTURE_RAN"), nullptr);
            EXPECT_EQ(GetProcAddress(module, "FixtureAnswer"), nullptr);
        }
        const struct {
            LPCSTR name;
            LPCSTR type;
            DWORD error;  // 0: found
            const char* data;
        } cases[] = {
            {MAKEINTRESOURCEA(1), RT_VERSION, 0, "version-record"},
            {MAKEINTRESOURCEA(135), "REGISTRY", 0, "HKCR { script }"},
            {"#133", "registry", 0, "second script"},
            {MAKEINTRESOURCEA(1), "TYPELIB", 0, ""},
            {MAKEINTRESOURCEA(1), "#16", 0, "version-record"},
            {MAKEINTRESOURCEA(136), "REGISTRY", ERROR_RESOURCE_NAME_NOT_FOUND, nullptr},
            {"Name", "REGISTRY", ERROR_RESOURCE_NAME_NOT_FOUND, nullptr},
            {MAKEINTRESOURCEA(1), RT_DIALOG, ERROR_RESOURCE_TYPE_NOT_FOUND, nullptr},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(&c - cases);
            SetLastError(kSentinel);
            HRSRC found = FindResourceA(module, c.name, c.type);
            if (c.error != 0) {
                EXPECT_EQ(found, nullptr);
                EXPECT_EQ(GetLastError(), c.error);
                continue;
            }
            ASSERT_NE(found, nullptr);
            auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
            EXPECT_EQ(std::string(data, SizeofResource(module, found)), c.data);
            EXPECT_EQ(GetLastError(), kSentinel);
        }
        EXPECT_TRUE(FreeLibrary(module));
    }
}

// A hostile resource table or section table is refused with the code that
// says which; the resource table fuzzer covers every other byte.
TEST(FindResourceA, RefusesDamagedTables) {
    std::ifstream in(VT_FIXTURE_MODULE, std::ios::binary);
    const std::vector<char> original{std::istreambuf_iterator<char>(in), {}};
    const auto magic =
        std::search(original.begin(), original.end(), VT_RSRC_MAGIC, VT_RSRC_MAGIC + 4);
    ASSERT_NE(magic, original.end());
    const size_t table = static_cast<size_t>(magic - original.begin());
    const size_t entry = table + 12 + 20;  // the second entry: REGISTRY 135
    const std::string path = TempPath("damaged.so");
    const struct {
        const char* what;
        size_t offset;
        uint64_t value;
        size_t width;  // 0: the file is cut after 40 bytes
        DWORD error;
    } cases[] = {
        {"intact", 0, 0, 0, 0},
        {"bad magic", table, 0x53525456 + 1, 4, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"type name past the section", entry + 8, 0xFFFFFFF0, 4, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"data past the section", entry + 12, 0xFFFFFF00, 4, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"section table past the end", 0x28, 0xFFFFFFFFFFFF0000ull, 8, ERROR_BAD_EXE_FORMAT},
        {"no section table", 0x28, 0, 8, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"cut inside the header", 0, 0, 0, ERROR_BAD_EXE_FORMAT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<char> bytes = original;
        if (c.width == 0 && c.error != 0) {
            bytes.resize(40);
        }
        std::memcpy(bytes.data() + c.offset, &c.value, c.width);
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        SetLastError(kSentinel);
        HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(135), "REGISTRY") : nullptr;
        EXPECT_EQ(found != nullptr ? 0 : GetLastError(), c.error);
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }
    std::filesystem::remove(path);
}

// Windows keeps the last error per thread.
TEST(LastError, IsPerThread) {
    SetLastError(1234);
    DWORD seen_by_other = kSentinel;
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
}

}  // namespace
