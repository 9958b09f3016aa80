// The views and updaters of the built module, made through its class
// objects, and a view's page active in a container of the host.
#pragma once

#include <gtest/gtest.h>
#include <platform/ole2.h>
#include <vantrel/vantrel.h>

#include "contract/blob_values.h"
#include "contract/class_ids.h"
#include "host/page_driver.h"
#include "host/site/active_view.h"
#include "module/module_fixture.h"

#include <string>
#include <utility>
#include <vector>

namespace vantrel::test {

using Settings = std::vector<std::pair<std::string, std::string>>;

class ModulePages : public ModuleTest {
protected:
    void SetUp() override {
        ASSERT_EQ(CoInitialize(nullptr), S_OK);
        ModuleTest::SetUp();
    }
    void TearDown() override {
        ModuleTest::TearDown();
        CoUninitialize();
    }

    host::ComRef<IUnknown> Create(const ClassIdentity& identity) {
        host::ComRef<IUnknown> object;
        host::ComRef<IClassFactory> factory;
        EXPECT_EQ(m_get_class_object(identity.clsid, IID_IClassFactory, factory.Put()), S_OK)
            << identity.name;
        if (factory) {
            EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.Put()), S_OK)
                << identity.name;
        }
        return object;
    }

    // A new view of the class, active in place; Page() is its page.
    host::ActiveView ActiveView(const ClassIdentity& identity) {
        host::ActiveView active;
        host::ComRef<IUnknown> view = Create(identity);
        if (view) {
            EXPECT_EQ(host::ActiveView::Activate(view.Get(), &active), S_OK) << identity.name;
            EXPECT_NE(active.Page(), nullptr) << identity.name;
        }
        return active;
    }

    // GetData of a new page of the view after `vantrel settings` in process
    // put the same keys on it through the host's page driver.
    std::vector<BYTE> SettingsBlob(const ClassIdentity& view, const char* provider,
                                   const Settings& settings) {
        host::ActiveView page = ActiveView(view);
        const host::Provider* found = host::FindProvider(provider);
        EXPECT_NE(found, nullptr) << provider;
        if (found == nullptr) {
            return {};
        }
        for (const auto& [name, value] : settings) {
            const host::SettingKey* key = nullptr;
            for (const host::SettingKey& candidate : host::KeysOf(*found)) {
                key = name == candidate.name ? &candidate : key;
            }
            EXPECT_NE(key, nullptr) << provider << " " << name;
            if (key == nullptr) {
                continue;
            }
            EXPECT_FALSE(host::CheckValue(*key, value)) << provider << " " << name << "=" << value;
            host::ApplyValue(page.Page(), *key, value);
        }
        return GetDataBytes(page.View());
    }
};

}  // namespace vantrel::test
