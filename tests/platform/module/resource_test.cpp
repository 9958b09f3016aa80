// Conformance of FindResource and friends, and robustness against damaged
// module files.
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
#include <string_view>
#include <vector>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

std::string ResourceText(HMODULE module, HRSRC resource) {
    auto* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    return std::string(data, SizeofResource(module, resource));
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
        struct Case {
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
            {MAKEINTRESOURCEA(1), RT_DIALOG, ERROR_RESOURCE_TYPE_NOT_FOUND, nullptr},
            {MAKEINTRESOURCEA(1), "DIALOGX", ERROR_RESOURCE_TYPE_NOT_FOUND, nullptr},
            {"Name", "REGISTRY", ERROR_RESOURCE_NAME_NOT_FOUND, nullptr},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(IS_INTRESOURCE(c.name) ? std::to_string(uintptr_t(c.name)) : c.name);
            SetLastError(kSentinel);
            HRSRC found = FindResourceA(module, c.name, c.type);
            if (c.error == 0) {
                ASSERT_NE(found, nullptr);
                EXPECT_EQ(ResourceText(module, found), c.data);
                EXPECT_EQ(GetLastError(), kSentinel);
            } else {
                EXPECT_EQ(found, nullptr);
                EXPECT_EQ(GetLastError(), c.error);
            }
        }
        EXPECT_TRUE(FreeLibrary(module));
    }
}

class DamagedModule : public ::testing::Test {
protected:
    void SetUp() override {
        std::ifstream in(VT_FIXTURE_MODULE, std::ios::binary);
        m_original.assign(std::istreambuf_iterator<char>(in), {});
        const std::string_view magic(VT_RSRC_MAGIC, 4);
        auto at = std::search(m_original.begin(), m_original.end(), magic.begin(), magic.end());
        ASSERT_NE(at, m_original.end());
        m_table = static_cast<size_t>(at - m_original.begin());
        m_path = (std::filesystem::temp_directory_path() /
                  ("vt-damaged-" + std::to_string(getpid()) + ".so"))
                     .string();
    }
    void TearDown() override { std::filesystem::remove(m_path); }

    // Loads the bytes as a data file and looks one resource up; never crashes.
    DWORD Probe(const std::vector<char>& bytes) {
        std::ofstream(m_path, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        SetLastError(kSentinel);
        HMODULE module = LoadLibraryExA(m_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (module == nullptr)
            return GetLastError();
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(135), "REGISTRY");
        DWORD result = found != nullptr ? 0 : GetLastError();
        if (found != nullptr) {
            EXPECT_LE(SizeofResource(module, found), bytes.size());
        }
        FreeLibrary(module);
        return result;
    }

    std::vector<char> m_original;
    size_t m_table = 0;
    std::string m_path;
};

// A hostile resource table or section table is refused with the code that
// says which; the resource table fuzzer covers every other byte.
TEST_F(DamagedModule, RefusesBrokenTables) {
    EXPECT_EQ(Probe(m_original), 0u);
    const size_t table = m_table;
    const struct {
        const char* what;
        size_t offset;
        uint64_t value;
        size_t width;
        DWORD error;
    } cases[] = {
        {"bad magic", table, 0x53525456 + 1, 4, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"bad version", table + 4, 2, 4, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"huge count", table + 8, 0xFFFFFFFF, 4, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"data past the section", table + 12 + 20 + 12, 0xFFFFFF00, 4,
         ERROR_RESOURCE_DATA_NOT_FOUND},
        {"size past the section", table + 12 + 20 + 16, 0x7FFFFFFF, 4,
         ERROR_RESOURCE_DATA_NOT_FOUND},
        {"type name past the section", table + 12 + 20 + 8, 0xFFFFFFF0, 4,
         ERROR_RESOURCE_DATA_NOT_FOUND},
        {"section table past the end", 0x28, 0xFFFFFFFFFFFF0000ull, 8, ERROR_BAD_EXE_FORMAT},
        {"no section table", 0x28, 0, 8, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"cut inside the header", 0, 0, 0, ERROR_BAD_EXE_FORMAT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<char> bytes = m_original;
        if (c.width == 0) {
            bytes.resize(40);
        }
        std::memcpy(bytes.data() + c.offset, &c.value, c.width);
        EXPECT_EQ(Probe(bytes), c.error);
    }
}

}  // namespace
