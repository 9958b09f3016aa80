// Loads the built module into a test with its own scratch registry hive.
#pragma once

#include <gtest/gtest.h>
#include <platform/com.h>
#include <platform/module.h>
#include <platform/registry.h>
#include <vantrel/vantrel.h>

#include "../platform/registry/registry_fixture.h"

#include <string>

namespace vantrel::test {

class ModuleTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        Load(VANTREL_MODULE_PATH);
    }
    void TearDown() override {
        Unload();
        RegistryTest::TearDown();
    }

    void Load(const std::string& path) {
        Unload();
        m_module = LoadLibraryExA(path.c_str(), nullptr, 0);
        ASSERT_NE(m_module, nullptr) << path;
        const auto entry = [this](const char* name) { return GetProcAddress(m_module, name); };
        m_get_class_object =
            reinterpret_cast<VantrelDllGetClassObjectFn>(entry("DllGetClassObject"));
        m_can_unload_now = reinterpret_cast<VantrelDllCanUnloadNowFn>(entry("DllCanUnloadNow"));
        m_register = reinterpret_cast<VantrelDllRegisterServerFn>(entry("DllRegisterServer"));
        m_unregister = reinterpret_cast<VantrelDllUnregisterServerFn>(entry("DllUnregisterServer"));
        ASSERT_TRUE(m_get_class_object && m_can_unload_now && m_register && m_unregister);
    }
    void Unload() {
        if (m_module != nullptr) {
            FreeLibrary(m_module);
        }
        m_module = nullptr;
    }

    HMODULE m_module = nullptr;
    VantrelDllGetClassObjectFn m_get_class_object = nullptr;
    VantrelDllCanUnloadNowFn m_can_unload_now = nullptr;
    VantrelDllRegisterServerFn m_register = nullptr;
    VantrelDllUnregisterServerFn m_unregister = nullptr;
};

}  // namespace vantrel::test
