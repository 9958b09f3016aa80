// The hive file: its text form, nesting limit and refusal of damaged files.
#include "registry_fixture.h"

namespace {

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

// Keys nest at most 512 levels deep, as on Windows: deeper ones are refused,
// and a hive at the limit is written and read back.
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
    ASSERT_EQ(VtRegistrySetHiveFile((m_folder / "other.reg").c_str()), ERROR_SUCCESS);
    ASSERT_EQ(VtRegistrySetHiveFile(m_hive.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(GetString(DeepPath(512).c_str()), "deepest");
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "K"), ERROR_SUCCESS);
    EXPECT_EQ(GetString("K"), "<error 2>");
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
