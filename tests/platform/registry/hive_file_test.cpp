// The hive file: its text form, atomic replacement, sharing between
// processes and refusal of damaged files.
#include "registry_fixture.h"

#include <sys/wait.h>
#include <unistd.h>

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

// Every change goes through a temporary file that is renamed over the hive:
// none is left behind, and a fresh reader sees the content.
TEST_F(RegistryTest, AtomicWriteLeavesOnlyTheHive) {
    SetString("A", nullptr, "x\\y\"z");
    SetString("A\\B", "v", "w");
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder / "sub"))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"registry.reg"}));
    // Pointing the registry elsewhere and back forces a reread of the file.
    ASSERT_EQ(VtRegistrySetHiveFile((m_folder / "other.reg").c_str()), ERROR_SUCCESS);
    EXPECT_EQ(GetString("A"), "<error 2>");
    ASSERT_EQ(VtRegistrySetHiveFile(m_hive.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(GetString("A"), "x\\y\"z");
    EXPECT_EQ(GetString("a\\b", "V"), "w");
}

// Writers in two processes at once lose nothing (each change rereads the
// hive under the lock), and each sees the other's writes.
TEST_F(RegistryTest, ConcurrentWritersInTwoProcessesLoseNothing) {
    constexpr int kWrites = 25;
    SetString("Shared", nullptr, "start");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    const char* prefix = child == 0 ? "child" : "parent";
    bool all_written = true;
    for (int i = 0; i < kWrites; ++i) {
        std::string name = prefix + std::to_string(i);
        HKEY key = nullptr;
        LONG status = RegCreateKeyExA(HKEY_CLASSES_ROOT, "Shared", 0, nullptr, 0, KEY_WRITE,
                                      nullptr, &key, nullptr);
        if (status == ERROR_SUCCESS)
            status =
                RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
        RegCloseKey(key);
        all_written = all_written && status == ERROR_SUCCESS;
    }
    if (child == 0)
        _exit(all_written ? 0 : 1);
    EXPECT_TRUE(all_written);
    int wait_status = 0;
    ASSERT_EQ(waitpid(child, &wait_status, 0), child);
    ASSERT_TRUE(WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == 0);
    for (const char* who : {"child", "parent"}) {
        for (int i = 0; i < kWrites; ++i) {
            std::string name = who + std::to_string(i);
            EXPECT_EQ(GetString("Shared", name.c_str()), "x") << name;
        }
    }
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
        {"binary junk",
         std::string("\x7f"
                     "ELF\0\0\x01",
                     7),
         ERROR_BADDB},
        // Windows nests keys at most 512 levels deep.
        {"512 levels", DeepHive(512), ERROR_SUCCESS},
        {"513 levels", DeepHive(513), ERROR_BADDB},
        {"100000 levels", DeepHive(100000), ERROR_BADDB},
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
    EXPECT_EQ(
        RegCreateKeyExA(HKEY_CLASSES_ROOT, "K", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_BADDB);
    EXPECT_EQ(ReadHive(), "garbage") << "a damaged hive is never overwritten";
}

// Keys nest at most 512 levels deep, as on Windows: deeper ones are refused,
// and a hive at the limit is written and read back.
TEST_F(RegistryTest, KeysNestAtMost512Levels) {
    HKEY key = reinterpret_cast<HKEY>(0x1234);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, DeepPath(513).c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(key, nullptr);
    SetString(DeepPath(512).c_str(), nullptr, "deepest");
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, DeepPath(511).c_str(), 0, KEY_WRITE, &key),
              ERROR_SUCCESS);
    HKEY deeper = reinterpret_cast<HKEY>(0x1234);
    EXPECT_EQ(RegCreateKeyExA(key, "a\\b", 0, nullptr, 0, KEY_WRITE, nullptr, &deeper, nullptr),
              ERROR_INVALID_PARAMETER);
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
    EXPECT_EQ(
        RegCreateKeyExA(HKEY_CLASSES_ROOT, "K", 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_CANTWRITE);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(GetString("K"), "<error 2>");
}

}  // namespace
