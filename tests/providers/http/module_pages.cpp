#include "module_pages.h"

#include "host/page_driver.h"

namespace vantrel::test {

void ModulePages::SetUp() {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ModuleTest::SetUp();
}

void ModulePages::TearDown() {
    ModuleTest::TearDown();
    CoUninitialize();
}

host::ComRef<IUnknown> ModulePages::Create(const ClassIdentity& identity) {
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

host::ActiveView ModulePages::ActiveView(const ClassIdentity& identity) {
    host::ActiveView active;
    host::ComRef<IUnknown> view = Create(identity);
    if (view) {
        EXPECT_EQ(host::ActiveView::Activate(view.Get(), &active), S_OK) << identity.name;
        EXPECT_NE(active.Page(), nullptr) << identity.name;
    }
    return active;
}

host::ComRef<IIPUpdate> ModulePages::Updater(const ClassIdentity& identity) {
    host::ComRef<IIPUpdate> updater;
    host::ComRef<IUnknown> object = Create(identity);
    if (object) {
        EXPECT_EQ(object->QueryInterface(IID_IIPUpdate, updater.Put()), S_OK) << identity.name;
    }
    return updater;
}

void ModulePages::Apply(const char* provider, HWND page, const Settings& settings) {
    const host::Provider* found = host::FindProvider(provider);
    ASSERT_NE(found, nullptr) << provider;
    for (const auto& [name, value] : settings) {
        const host::SettingKey* key = nullptr;
        for (const host::SettingKey& candidate : host::KeysOf(*found)) {
            key = name == candidate.name ? &candidate : key;
        }
        ASSERT_NE(key, nullptr) << provider << " " << name;
        ASSERT_FALSE(host::CheckValue(*key, value)) << provider << " " << name << "=" << value;
        host::ApplyValue(page, *key, value);
    }
}

std::vector<BYTE> ModulePages::SettingsBlob(const ClassIdentity& view, const char* provider,
                                            const Settings& settings) {
    host::ActiveView page = ActiveView(view);
    Apply(provider, page.Page(), settings);
    return GetDataBytes(page.View());
}

}  // namespace vantrel::test
