// Each test gets its own hive in a fresh temporary folder.
#pragma once

#include <platform/registry.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "vt-reg-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        m_hive = (m_folder / "sub" / "registry.reg").string();
        ASSERT_EQ(VtRegistrySetHiveFile(m_hive.c_str()), ERROR_SUCCESS);
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string ReadHive() const {
        std::ifstream in(m_hive, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void WriteHive(const std::string& text) const {
        std::filesystem::create_directories(std::filesystem::path(m_hive).parent_path());
        std::ofstream(m_hive, std::ios::binary | std::ios::trunc) << text;
    }
    // RegCreateKeyEx with what the tests never vary.
    static LONG Create(const char* path, HKEY* key, DWORD* disposition = nullptr,
                       HKEY parent = HKEY_CLASSES_ROOT) {
        return RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key,
                               disposition);
    }
    // Writes name=value (default value when name is null) into HKCR\path.
    void SetString(const char* path, const char* name, const char* value) {
        HKEY key = nullptr;
        ASSERT_EQ(Create(path, &key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                 static_cast<DWORD>(strlen(value) + 1)),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    }
    // The default or named value of HKCR\path, or "<error N>".
    std::string GetString(const char* path, const char* name = nullptr) {
        HKEY key = nullptr;
        LONG status = RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key);
        if (status != ERROR_SUCCESS)
            return "<error " + std::to_string(status) + ">";
        char buffer[512];
        DWORD size = sizeof buffer;
        status =
            RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS ? std::string(buffer)
                                       : "<error " + std::to_string(status) + ">";
    }

    std::filesystem::path m_folder;
    std::string m_hive;
};
