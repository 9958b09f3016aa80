// Conformance of the Reg* functions with their Windows behaviour, and the
// hive file: its text form, nesting limit and refusal of damaged files.
#include "registry_fixture.h"

#include <cstring>

namespace {

const HKEY kSentinelKey = reinterpret_cast<HKEY>(0x1234);
constexpr DWORD kSentinel = 0xDEADBEEF;

// RegCreateKeyEx reports whether it created the key; Windows clears the
// handle of a failed RegOpenKeyEx and refuses a leading backslash.
TEST_F(RegistryTest, CreateAndOpenReportDispositionAndErrors) {
    HKEY key = kSentinelKey;
    DWORD disposition = kSentinel;
    ASSERT_EQ(Create("Vantrel.Dynam\\CLSID", &key, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    const std::pair<const char*, LONG> opens[] = {
        {"VANTREL.DYNAM\\clsid", ERROR_SUCCESS},          {"Vantrel.Dynam\\CLSID\\", ERROR_SUCCESS},
        {"Vantrel.Dynam\\Missing", ERROR_FILE_NOT_FOUND}, {"\\Vantrel.Dynam", ERROR_BAD_PATHNAME},
        {"Vantrel.Dynam\\\\CLSID", ERROR_BAD_PATHNAME},
    };
    for (const auto& [subkey, status] : opens) {
        key = kSentinelKey;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, subkey, 0, KEY_READ, &key), status) << subkey;
        if (status == ERROR_SUCCESS) {
            EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
        } else {
            EXPECT_EQ(key, nullptr) << subkey;
        }
    }
    ASSERT_EQ(Create("vantrel.dynam", &key, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    char name[64];
    DWORD size = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(HKEY_CLASSES_ROOT, 0, name, &size, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "Vantrel.Dynam") << "the first spelling is kept";
    EXPECT_EQ(size, 13u);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE) << "a closed handle is gone";
}

// RegQueryValueEx: a size query, ERROR_MORE_DATA with the needed size, and
// ERROR_FILE_NOT_FOUND for a default value that was never set.
TEST_F(RegistryTest, QueryValueFollowsWindowsSizeRules) {
    SetString("Key", nullptr, "Dynam Class");
    SetString("Key", "ThreadingModel", "Apartment");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Key", 0, KEY_READ, &key), ERROR_SUCCESS);
    const struct {
        const char* name;
        DWORD buffer_size;  // 0: no buffer
        LONG status;
        DWORD size_after;
        const char* text;
    } cases[] = {
        {"", 64, ERROR_SUCCESS, 12, "Dynam Class"},
        {"threadingmodel", 64, ERROR_SUCCESS, 10, "Apartment"},
        {"ThreadingModel", 0, ERROR_SUCCESS, 10, nullptr},
        {"ThreadingModel", 9, ERROR_MORE_DATA, 10, nullptr},
        {"Missing", 64, ERROR_FILE_NOT_FOUND, 64, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        char buffer[64];
        std::memset(buffer, '#', sizeof buffer);
        DWORD size = c.buffer_size;
        DWORD type = kSentinel;
        BYTE* data = c.buffer_size ? reinterpret_cast<BYTE*>(buffer) : nullptr;
        EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, data, &size), c.status);
        EXPECT_EQ(size, c.size_after);
        if (c.text != nullptr) {
            EXPECT_STREQ(buffer, c.text);
            EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        }
    }
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    SetString("Bare\\Sub", "x", "y");
    EXPECT_EQ(GetString("Bare"), "<error 2>") << "a key without default value";
}

// Windows: RegDeleteKey refuses a key with subkeys (ERROR_ACCESS_DENIED);
// RegDeleteTree takes the subtree; handles to a deleted key give
// ERROR_KEY_DELETED.
TEST_F(RegistryTest, DeletingKeysFollowsWindowsRules) {
    SetString("CLSID\\{A}\\InprocServer32", nullptr, "/lib/Vantrel.so");
    HKEY inner = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{A}\\InprocServer32", 0, KEY_READ, &inner),
              ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{A}"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, "CLSID\\{B}"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{B}"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "clsid\\{a}"), ERROR_SUCCESS);
    EXPECT_EQ(GetString("CLSID\\{A}"), "<error 2>");
    DWORD size = 64;
    DWORD type = kSentinel;
    char buffer[64];
    EXPECT_EQ(
        RegQueryValueExA(inner, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_KEY_DELETED);
    EXPECT_EQ(type, kSentinel);
    EXPECT_EQ(RegCloseKey(inner), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, ""), ERROR_ACCESS_DENIED);
}

// Bad handles and value types are refused, never crash; the hive file keeps
// one name or value per line, so line breaks are refused too.
TEST_F(RegistryTest, RefusesBadHandlesTypesAndLineBreaks) {
    HKEY out = kSentinelKey;
    EXPECT_EQ(RegOpenKeyExA(kSentinelKey, "x", 0, KEY_READ, &out), ERROR_INVALID_HANDLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "x", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
    const BYTE number[4] = {5};
    const auto* text = reinterpret_cast<const BYTE*>("a\nb");
    EXPECT_EQ(RegSetValueExA(HKEY_CLASSES_ROOT, "n", 0, 4, number, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(HKEY_CLASSES_ROOT, "n", 0, REG_SZ, text, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(HKEY_CLASSES_ROOT, "n\r", 0, REG_SZ, text + 3, 1),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Create("a\nb", &out), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(HKEY_CLASSES_ROOT), ERROR_SUCCESS);
}

// "K\a\a..." with levels components in all.
std::string DeepPath(size_t levels) {
    std::string path = "K";
    for (size_t i = 1; i < levels; ++i)
        path += "\\a";
    return path;
}

std::string DeepHive(size_t levels) {
    return "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\" + DeepPath(levels) + "]\n";
}

// The file is regedit's text form, sorted, with \\ and \" escaped.
TEST_F(RegistryTest, WritesSortedRegText) {
    SetString("Vantrel.Dynam\\CLSID", nullptr, "{1}");
    SetString("Vantrel.Dynam", nullptr, "Dynam Class");
    SetString("CLSID\\{1}\\InprocServer32", nullptr, "C:\\lib\\\"Vantrel\".so");
    SetString("CLSID\\{1}\\InprocServer32", "ThreadingModel", "Apartment");
    EXPECT_EQ(ReadHive(),
              "Windows Registry Editor Version 5.00\n"
              "\n[HKEY_CLASSES_ROOT]\n"
              "\n[HKEY_CLASSES_ROOT\\CLSID]\n"
              "\n[HKEY_CLASSES_ROOT\\CLSID\\{1}]\n"
              "\n[HKEY_CLASSES_ROOT\\CLSID\\{1}\\InprocServer32]\n"
              "@=\"C:\\\\lib\\\\\\\"Vantrel\\\".so\"\n"
              "\"ThreadingModel\"=\"Apartment\"\n"
              "\n[HKEY_CLASSES_ROOT\\Vantrel.Dynam]\n"
              "@=\"Dynam Class\"\n"
              "\n[HKEY_CLASSES_ROOT\\Vantrel.Dynam\\CLSID]\n"
              "@=\"{1}\"\n");
}

// A damaged hive gives ERROR_BADDB to every call, never a crash; a missing
// or empty file is an empty hive.
TEST_F(RegistryTest, DamagedHiveGivesBadDb) {
    struct Case {
        const char* what;
        std::string text;
        LONG status;
    } cases[] = {
        {"empty file", "", ERROR_FILE_NOT_FOUND},
        {"header only", "Windows Registry Editor Version 5.00\n", ERROR_FILE_NOT_FOUND},
        {"valid", "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\K]\n@=\"v\"\n",
         ERROR_SUCCESS},
        {"CRLF lines", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CLASSES_ROOT\\K]\r\n",
         ERROR_SUCCESS},
        {"torn value", "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\K]\n@=\"v",
         ERROR_BADDB},
        {"torn section", "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\K",
         ERROR_BADDB},
        {"no header", "[HKEY_CLASSES_ROOT\\K]\n", ERROR_BADDB},
        {"value before key", "Windows Registry Editor Version 5.00\n@=\"v\"\n", ERROR_BADDB},
        {"other root", "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K]\n",
         ERROR_BADDB},
        {"dword value",
         "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\K]\n\"n\"=dword:1\n",
         ERROR_BADDB},
        {"bad escape", "Windows Registry Editor Version 5.00\n[HKEY_CLASSES_ROOT\\K]\n@=\"a\\q\"\n",
         ERROR_BADDB},
        {"binary junk", std::string("\177ELF\0\0\1", 7), ERROR_BADDB},
        // Windows nests keys at most 512 levels deep.
        {"512 levels", DeepHive(512), ERROR_SUCCESS},
        {"513 levels", DeepHive(513), ERROR_BADDB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteHive(c.text);
        HKEY key = reinterpret_cast<HKEY>(0x1234);
        EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "K", 0, KEY_READ, &key), c.status);
        if (c.status == ERROR_SUCCESS)
            RegCloseKey(key);
        else
            EXPECT_EQ(key, nullptr);
    }
    WriteHive("garbage");
    HKEY key = nullptr;
    EXPECT_EQ(Create("K", &key), ERROR_BADDB);
    EXPECT_EQ(ReadHive(), "garbage") << "a damaged hive is never overwritten";
}

// Keys nest at most 512 levels deep, as on Windows: deeper ones are refused.
// (A hive at the limit reads back: see the damaged hive rows.)
TEST_F(RegistryTest, KeysNestAtMost512Levels) {
    HKEY key = reinterpret_cast<HKEY>(0x1234);
    EXPECT_EQ(Create(DeepPath(513).c_str(), &key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key, nullptr);
    SetString(DeepPath(512).c_str(), nullptr, "deepest");
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, DeepPath(511).c_str(), 0, KEY_WRITE, &key),
              ERROR_SUCCESS);
    HKEY deeper = reinterpret_cast<HKEY>(0x1234);
    EXPECT_EQ(Create("a\\b", &deeper, nullptr, key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(deeper, nullptr);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "K"), ERROR_SUCCESS);
}

// A hive that cannot be written gives ERROR_CANTWRITE and leaves reads of
// the (missing) hive working.
TEST_F(RegistryTest, UnwritableHiveGivesCantWrite) {
    std::string blocker = (m_folder / "file").string();
    std::ofstream(blocker) << "a file where a folder should be";
    ASSERT_EQ(VtRegistrySetHiveFile((blocker + "/registry.reg").c_str()), ERROR_SUCCESS);
    HKEY key = reinterpret_cast<HKEY>(0x1234);
    EXPECT_EQ(Create("K", &key), ERROR_CANTWRITE);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(GetString("K"), "<error 2>");
}

}  // namespace
