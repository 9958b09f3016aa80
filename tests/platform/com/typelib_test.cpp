// Type-library registration as Windows' RegisterTypeLib and
// UnRegisterTypeLib leave the registry.
#include "../registry/registry_fixture.h"
#include "typelib_cases.h"

#include <platform/typelib.h>

namespace {

std::string Fixture(int index) {
    return std::string(VT_FIXTURE_TYPELIB_DIR) + "/vt_fixture_typelib_" + std::to_string(index) +
           ".so";
}

GUID LibId() {
    GUID guid{};
    EXPECT_EQ(CLSIDFromString(u"" VT_FIXTURE_LIBID, &guid), S_OK);
    return guid;
}

const std::string kVersionKey = "TypeLib\\" VT_FIXTURE_LIBID "\\1.a";

using TypeLibTest = RegistryTest;

// Windows writes the version key in hexadecimal, the path under 0\win32, and
// for dual and oleautomation interfaces the universal marshaller.
TEST_F(TypeLibTest, RegistersLibraryAndAutomationInterfaces) {
    std::string path = Fixture(0);
    ASSERT_EQ(VtRegisterTypeLibFromModule(path.c_str(), "/opt/help"), S_OK);
    const std::string marshaller = "{00020424-0000-0000-C000-000000000046}";
    struct Case {
        std::string key;
        const char* name;
        std::string value;
    } cases[] = {
        {kVersionKey, nullptr, "Fixture \"1.0\" Library"},
        {kVersionKey + "\\0\\win32", nullptr, path},
        {kVersionKey + "\\FLAGS", nullptr, "0"},
        {kVersionKey + "\\HELPDIR", nullptr, "/opt/help"},
        {"Interface\\" VT_IID_VIEW "\\ProxyStubClsid", nullptr, marshaller},
        {"Interface\\" VT_IID_VIEW "\\ProxyStubClsid32", nullptr, marshaller},
        {"Interface\\" VT_IID_VIEW "\\TypeLib", nullptr, VT_FIXTURE_LIBID},
        {"Interface\\" VT_IID_VIEW "\\TypeLib", "Version", "1.a"},
        {"Interface\\" VT_IID_FIXTURE, nullptr, "IFixture"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(GetString(c.key.c_str(), c.name), c.value);
    }
}

// Every malformed text, and a file without the resource, is
// TYPE_E_CANTLOADLIBRARY with nothing written.
TEST_F(TypeLibTest, RefusesMalformedLibraries) {
    for (int index = 1; index < VT_TYPELIB_CASE_COUNT; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(VtRegisterTypeLibFromModule(Fixture(index).c_str(), nullptr),
                  TYPE_E_CANTLOADLIBRARY);
    }
    EXPECT_EQ(VtRegisterTypeLibFromModule("/nonexistent/module.so", nullptr),
              TYPE_E_CANTLOADLIBRARY);
    EXPECT_EQ(VtRegisterTypeLibFromModule(nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(GetString("TypeLib"), "<error 2>");
}

// UnRegisterTypeLib answers TYPE_E_LIBNOTREGISTERED for another version
// or system kind, and keeps another version and interfaces another library
// took over.
TEST_F(TypeLibTest, UnregistersOnlyWhatItRegistered) {
    ASSERT_EQ(VtRegisterTypeLibFromModule(Fixture(0).c_str(), nullptr), S_OK);
    EXPECT_EQ(UnRegisterTypeLib(LibId(), 1, 10, 0, SYS_WIN64), TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(UnRegisterTypeLib(LibId(), 1, 0, 0, SYS_WIN32), TYPE_E_LIBNOTREGISTERED);
    SetString("TypeLib\\" VT_FIXTURE_LIBID "\\2.0", nullptr, "another version");
    SetString("Interface\\" VT_IID_VIEW "\\TypeLib", nullptr,
              "{0A1B2C3D-0000-4000-8000-0000000000FF}");
    EXPECT_EQ(UnRegisterTypeLib(LibId(), 1, 10, 0, SYS_WIN32), S_OK);
    EXPECT_EQ(GetString("TypeLib\\" VT_FIXTURE_LIBID "\\2.0"), "another version");
    EXPECT_EQ(GetString("Interface\\" VT_IID_VIEW), "IGView");
    EXPECT_EQ(GetString("Interface\\" VT_IID_FIXTURE), "<error 2>");
    EXPECT_EQ(GetString(kVersionKey.c_str()), "<error 2>");
}

}  // namespace
