#include "module_pages.h"

#include <cstring>

#include "host/page_driver.h"

namespace vantrel::test {

void ModulePages::SetUp() {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    m_module = LoadLibraryExA(VANTREL_MODULE_PATH, nullptr, 0);
    ASSERT_NE(m_module, nullptr);
    m_get_class_object =
        reinterpret_cast<VantrelDllGetClassObjectFn>(GetProcAddress(m_module, "DllGetClassObject"));
    ASSERT_NE(m_get_class_object, nullptr);
}

void ModulePages::TearDown() {
    if (m_module != nullptr) {
        FreeLibrary(m_module);
    }
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

std::vector<BYTE> BytesOf(const VARIANT& value) {
    std::vector<BYTE> bytes;
    EXPECT_EQ(value.vt, VT_ARRAY);
    void* data = nullptr;
    if (value.parray == nullptr || FAILED(SafeArrayAccessData(value.parray, &data))) {
        return bytes;
    }
    bytes.assign(static_cast<BYTE*>(data),
                 static_cast<BYTE*>(data) + value.parray->rgsabound[0].cElements);
    SafeArrayUnaccessData(value.parray);
    return bytes;
}

std::vector<BYTE> GetDataBytes(IGView* view) {
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(view->GetData(&value), S_OK);
    std::vector<BYTE> bytes = BytesOf(value);
    VariantClear(&value);
    return bytes;
}

BlobValue::BlobValue(const std::vector<BYTE>& bytes, VARTYPE type) {
    VariantInit(&m_value);
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    void* data = nullptr;
    if (array != nullptr && SUCCEEDED(SafeArrayAccessData(array, &data))) {
        if (!bytes.empty()) {
            std::memcpy(data, bytes.data(), bytes.size());
        }
        SafeArrayUnaccessData(array);
    }
    m_value.vt = type;
    m_value.parray = array;
}

}  // namespace vantrel::test
