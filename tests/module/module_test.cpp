// The built module through its exports: class objects, unload counting,
// and the keys DllRegisterServer writes and DllUnregisterServer removes,
// read back from the scratch hive.
#include "contract/class_ids.h"
#include "contract/guid_text.h"
#include "module_fixture.h"

#include <cstring>
#include <set>

namespace vantrel::test {
namespace {

using ModuleExports = ModuleTest;

TEST_F(ModuleExports, ClassObjectIsCreatedOnceAndShared) {
    for (const ClassIdentity* identity : kClassIdentities) {
        SCOPED_TRACE(identity->name);
        void* objects[2] = {};
        ASSERT_EQ(m_get_class_object(identity->clsid, IID_IClassFactory, &objects[0]), S_OK);
        ASSERT_EQ(m_get_class_object(identity->clsid, IID_IUnknown, &objects[1]), S_OK);
        EXPECT_EQ(objects[0], objects[1]);
        static_cast<IUnknown*>(objects[0])->Release();
        static_cast<IUnknown*>(objects[1])->Release();
    }
    void* result = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(m_get_class_object(IID_IGView, IID_IClassFactory, &result),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(m_get_class_object(kDipDNSIdentity.clsid, IID_IClassFactory, nullptr), E_POINTER);
    result = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(m_get_class_object(kDipDNSIdentity.clsid, IID_IGView, &result), E_NOINTERFACE);
    EXPECT_EQ(result, nullptr);
}

// A class object alone is no lock; an object or LockServer is.
TEST_F(ModuleExports, CanUnloadOnlyWithoutObjectsOrLocks) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(m_get_class_object(kDyFiIdentity.clsid, IID_IClassFactory,
                                 reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(m_can_unload_now(), S_OK);
    IIPUpdate* updater = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IIPUpdate, reinterpret_cast<void**>(&updater)),
              S_OK);
    EXPECT_EQ(m_can_unload_now(), S_FALSE);
    updater->Release();
    EXPECT_EQ(m_can_unload_now(), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(m_can_unload_now(), S_FALSE);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(m_can_unload_now(), S_OK);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    factory->Release();
}

std::set<std::string> SubKeys(const std::string& path) {
    std::set<std::string> names;
    HKEY key = HKEY_CLASSES_ROOT;
    if (!path.empty() &&
        RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return names;
    }
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.insert(name);
    }
    if (key != HKEY_CLASSES_ROOT) {
        RegCloseKey(key);
    }
    return names;
}

class Registration : public ModuleTest {
protected:
    std::string Value(const std::string& path, const char* name = nullptr) {
        return GetString(path.c_str(), name);
    }

    // The bitmap a ToolboxBitmap32 value names: a BITMAPINFOHEADER, 16
    // palette entries and 16 rows of 8 bytes, no file header.
    void ExpectToolboxBitmap(int id) {
        HRSRC found = FindResourceA(m_module, MAKEINTRESOURCEA(id), RT_BITMAP);
        ASSERT_NE(found, nullptr) << id;
        const auto* bytes = static_cast<const char*>(LockResource(LoadResource(m_module, found)));
        ASSERT_EQ(SizeofResource(m_module, found), 40u + 16 * 4 + 16 * 8);
        uint32_t header[4];
        std::memcpy(header, bytes, sizeof header);
        // biSize, biWidth, biHeight (bottom-up), biPlanes 1 with biBitCount 4.
        EXPECT_EQ(header[0], 40u);
        EXPECT_EQ(header[1], 16u);
        EXPECT_EQ(header[2], 16u);
        EXPECT_EQ(header[3], 0x00040001u);
    }
};

TEST_F(Registration, WritesEveryClassKeyAndTheTypeLibrary) {
    ASSERT_EQ(m_register(), S_OK);
    const std::string module = VANTREL_MODULE_PATH;
    std::set<std::string> bitmaps;
    for (const ClassIdentity* identity : kClassIdentities) {
        const std::string name = identity->name;
        SCOPED_TRACE(name);
        const std::string clsid = GuidText(identity->clsid);
        const std::string base = "CLSID\\" + clsid;
        for (const std::string& progid : {"Vantrel." + name + ".1", "Vantrel." + name}) {
            EXPECT_EQ(Value(progid), name + " Class");
            EXPECT_EQ(Value(progid + "\\CLSID"), clsid);
        }
        EXPECT_EQ(Value("Vantrel." + name + "\\CurVer"), "Vantrel." + name + ".1");
        EXPECT_EQ(Value(base), name + " Class");
        EXPECT_EQ(Value(base, "AppID"), "");
        EXPECT_EQ(Value(base + "\\ProgID"), "Vantrel." + name + ".1");
        EXPECT_EQ(Value(base + "\\VersionIndependentProgID"), "Vantrel." + name);
        EXPECT_EQ(Value(base + "\\InprocServer32"), module);
        EXPECT_EQ(Value(base + "\\InprocServer32", "ThreadingModel"), "Apartment");
        EXPECT_EQ(Value(base + "\\TypeLib"), GuidText(LIBID_VantrelLib));
        EXPECT_EQ(Value("Interface\\" + GuidText(identity->own_iid)), "I" + name);

        std::set<std::string> expected = {"ProgID", "VersionIndependentProgID", "Programmable",
                                          "InprocServer32", "TypeLib"};
        if (identity->kind == ClassKind::View) {
            expected.insert({"Control", "ToolboxBitmap32", "MiscStatus", "Version"});
            const std::string bitmap = Value(base + "\\ToolboxBitmap32");
            ASSERT_EQ(bitmap.rfind(module + ", ", 0), 0u) << bitmap;
            ExpectToolboxBitmap(std::stoi(bitmap.substr(module.size() + 2)));
            EXPECT_TRUE(bitmaps.insert(bitmap).second) << "shared with another view";
            EXPECT_EQ(Value(base + "\\MiscStatus"), "0");
            EXPECT_EQ(Value(base + "\\MiscStatus\\1"), "131473");
            EXPECT_EQ(Value(base + "\\Version"), "1.0");
        }
        EXPECT_EQ(SubKeys(base), expected);
    }
    EXPECT_EQ(Value("TypeLib\\" + GuidText(LIBID_VantrelLib) + "\\1.0"),
              "Vantrel 1.0 Type Library");
    EXPECT_EQ(Value("Interface\\" + GuidText(IID_IGView)), "IGView");
    EXPECT_EQ(Value("Interface\\" + GuidText(IID_IIPUpdate)), "<error 2>") << "not automation";
}

// Registering twice replaces stale keys rather than doubling them; keys of
// others, and a ProgID key that still has a subkey, stay.
TEST_F(Registration, UnregistrationRemovesOnlyWhatItWrote) {
    ASSERT_EQ(m_register(), S_OK);
    ASSERT_EQ(m_register(), S_OK);
    const std::string foreign = "{00000000-0000-0000-0000-000000000001}";
    for (const std::string& path : {"CLSID\\" + foreign, std::string("Vantrel.Dynam\\Extra")}) {
        HKEY key = nullptr;
        ASSERT_EQ(Create(path.c_str(), &key), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    ASSERT_EQ(m_unregister(), S_OK);
    EXPECT_EQ(SubKeys(""), (std::set<std::string>{"CLSID", "Vantrel.Dynam"}));
    EXPECT_EQ(SubKeys("CLSID"), std::set<std::string>{foreign});
    EXPECT_EQ(SubKeys("Vantrel.Dynam"), std::set<std::string>{"Extra"});
}

TEST_F(Registration, ModulePathWithQuoteIsWrittenAsItIs) {
    const std::filesystem::path folder = m_folder / "it's here";
    std::filesystem::create_directories(folder);
    const std::filesystem::path copy = folder / "Vantrel.so";
    std::filesystem::copy_file(VANTREL_MODULE_PATH, copy);
    Load(copy.string());
    ASSERT_EQ(m_register(), S_OK);
    const std::string base = "CLSID\\" + GuidText(kWin2000Identity.clsid);
    EXPECT_EQ(Value(base + "\\InprocServer32"), copy.string());
    EXPECT_EQ(Value(base + "\\ToolboxBitmap32"), copy.string() + ", 119");
    ASSERT_EQ(m_unregister(), S_OK);
}

}  // namespace
}  // namespace vantrel::test
