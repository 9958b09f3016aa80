// Conformance of FindResource and friends, and robustness against damaged
// module files.
#include <platform/module.h>
#include <platform/resource_format.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr DWORD kSentinel = 0xDEADBEEF;

std::string ResourceText(HMODULE module, HRSRC resource) {
    auto* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    return std::string(data, SizeofResource(module, resource));
}

// Windows finds resources by id or "#id", types by id or case-blind name,
// and tells a missing type from a missing name.
TEST(FindResourceA, FindsByIdAndNamedType) {
    for (DWORD flags : {DWORD{0}, DWORD{LOAD_LIBRARY_AS_DATAFILE}}) {
        SCOPED_TRACE(flags);
        HMODULE module = LoadLibraryExA(VT_FIXTURE_MODULE, nullptr, flags);
        ASSERT_NE(module, nullptr);
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
    void Put32(std::vector<char>& bytes, size_t at, uint32_t value) {
        std::memcpy(bytes.data() + at, &value, 4);
    }

    std::vector<char> m_original;
    size_t m_table = 0;
    std::string m_path;
};

// A hostile resource table is refused, never read out of bounds.
TEST_F(DamagedModule, RefusesBrokenResourceTables) {
    EXPECT_EQ(Probe(m_original), 0u);
    struct Case {
        const char* what;
        size_t offset;  // from the start of the table
        uint32_t value;
    } cases[] = {
        {"bad magic", 0, 0x53525456 + 1},
        {"bad version", 4, 2},
        {"huge count", 8, 0xFFFFFFFF},
        {"data past the section", 12 + 20 + 12, 0xFFFFFF00},
        {"size past the section", 12 + 20 + 16, 0x7FFFFFFF},
        {"type name past the section", 12 + 20 + 8, 0xFFFFFFF0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<char> bytes = m_original;
        Put32(bytes, m_table + c.offset, c.value);
        EXPECT_EQ(Probe(bytes), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
    }
}

// Damaged ELF headers and truncated files are refused as bad format or
// as having no resources; every cut point is safe.
TEST_F(DamagedModule, RefusesTruncatedAndBrokenFiles) {
    struct Case {
        const char* what;
        size_t offset;
        uint64_t value;
        DWORD error;
    } cases[] = {
        {"section table past the end", 0x28, 0xFFFFFFFFFFFF0000ull, ERROR_BAD_EXE_FORMAT},
        {"no section table", 0x28, 0, ERROR_RESOURCE_DATA_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<char> bytes = m_original;
        std::memcpy(bytes.data() + c.offset, &c.value, sizeof c.value);
        EXPECT_EQ(Probe(bytes), c.error);
    }
    for (size_t cut = 0; cut < m_original.size(); cut += std::max<size_t>(1, m_original.size() / 97)) {
        SCOPED_TRACE(cut);
        DWORD error = Probe(std::vector<char>(m_original.begin(), m_original.begin() + cut));
        EXPECT_TRUE(error == ERROR_BAD_EXE_FORMAT || error == ERROR_RESOURCE_DATA_NOT_FOUND ||
                    error == 0)
            << error;
    }
}

}  // namespace
