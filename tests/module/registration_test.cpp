// The keys DllRegisterServer writes and DllUnregisterServer removes, read
// back from the scratch hive.
#include <map>
#include <set>
#include <vector>

#include "contract/class_ids.h"
#include "contract/guid_text.h"
#include "module_fixture.h"

namespace vantrel::test {
namespace {

// Bitmap id of each view's ToolboxBitmap32.
const std::map<std::string, int> kViewBitmaps = {
    {"DipDNS", 134},        {"DnsExitView", 111}, {"DyFiView", 138},
    {"Dynam", 102},         {"Dynup", 106},       {"EuroDynDns", 115},
    {"GenGnuDIPView", 128}, {"GnuDIP2View", 124}, {"Win2000", 119},
};

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
    // The value, or "<error N>" for a missing key or value.
    std::string Value(const std::string& path, const char* name = nullptr) {
        return GetString(path.c_str(), name);
    }
};

TEST_F(Registration, WritesEveryClassKey) {
    ASSERT_EQ(m_register(), S_OK);
    const std::string module = VANTREL_MODULE_PATH;
    for (const ClassIdentity* identity : kClassIdentities) {
        const std::string name = identity->name;
        SCOPED_TRACE(name);
        const std::string clsid = GuidText(identity->clsid);
        const std::string base = "CLSID\\" + clsid;
        EXPECT_EQ(Value("Vantrel." + name + ".1"), name + " Class");
        EXPECT_EQ(Value("Vantrel." + name + ".1\\CLSID"), clsid);
        EXPECT_EQ(Value("Vantrel." + name), name + " Class");
        EXPECT_EQ(Value("Vantrel." + name + "\\CLSID"), clsid);
        EXPECT_EQ(Value("Vantrel." + name + "\\CurVer"), "Vantrel." + name + ".1");
        EXPECT_EQ(Value(base), name + " Class");
        EXPECT_EQ(Value(base, "AppID"), "");
        EXPECT_EQ(Value(base + "\\ProgID"), "Vantrel." + name + ".1");
        EXPECT_EQ(Value(base + "\\VersionIndependentProgID"), "Vantrel." + name);
        EXPECT_EQ(Value(base + "\\InprocServer32"), module);
        EXPECT_EQ(Value(base + "\\InprocServer32", "ThreadingModel"), "Apartment");
        EXPECT_EQ(Value(base + "\\TypeLib"), GuidText(LIBID_VantrelLib));

        std::set<std::string> expected = {"ProgID", "VersionIndependentProgID", "Programmable",
                                          "InprocServer32", "TypeLib"};
        if (identity->kind == ClassKind::View) {
            expected.insert({"Control", "ToolboxBitmap32", "MiscStatus", "Version"});
            EXPECT_EQ(Value(base + "\\ToolboxBitmap32"),
                      module + ", " + std::to_string(kViewBitmaps.at(name)));
            EXPECT_EQ(Value(base + "\\MiscStatus"), "0");
            EXPECT_EQ(Value(base + "\\MiscStatus\\1"), "131473");
            EXPECT_EQ(Value(base + "\\Version"), "1.0");
        }
        EXPECT_EQ(SubKeys(base), expected);
    }
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
