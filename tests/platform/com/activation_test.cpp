// Registry-driven activation, and type-library registration as Windows'
// RegisterTypeLib and UnRegisterTypeLib leave the registry.
#include "../registry/registry_fixture.h"
#include "typelib_cases.h"

#include <platform/com.h>
#include <platform/typelib.h>

#include <dlfcn.h>
#include <cstring>

namespace {

void* const kSentinelPointer = reinterpret_cast<void*>(0x1234);

#define VT_CLSID(n) "{0A1B2C3D-0000-4000-8000-0000000000C" #n "}"

GUID Guid(const char* text) {
    std::u16string wide(text, text + std::strlen(text));
    GUID guid{};
    EXPECT_EQ(CLSIDFromString(wide.c_str(), &guid), S_OK);
    return guid;
}

class ActivationTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        SetString("Vantrel.Fixture.1\\CLSID", nullptr, VT_FIXTURE_CLSID);
        SetString("Vantrel.Broken\\CLSID", nullptr, "not a guid");
        SetString("CLSID\\" VT_FIXTURE_CLSID "\\InprocServer32", nullptr, VT_FIXTURE_SERVER);
        SetString("CLSID\\" VT_CLSID(2) "\\InprocServer32", nullptr, VT_FIXTURE_NO_ENTRY);
        SetString("CLSID\\" VT_CLSID(3) "\\InprocServer32", nullptr, "/nonexistent/server.so");
        SetString("CLSID\\" VT_CLSID(4) "\\InprocServer32", nullptr, VT_FIXTURE_SERVER);
    }
};

// CLSIDFromProgID reads HKCR\<ProgID>\CLSID case-blind; Windows answers
// CO_E_CLASSSTRING for an unknown ProgID, and CLSIDFromString falls back
// to the ProgID lookup.
TEST_F(ActivationTest, ProgIdLookups) {
    const struct {
        const char16_t* progid;
        HRESULT hr;
        GUID expected;
    } cases[] = {
        {u"vantrel.fixture.1", S_OK, Guid(VT_FIXTURE_CLSID)},
        {u"Vantrel.Missing", CO_E_CLASSSTRING, IID_NULL},
        {u"Vantrel.Broken", CO_E_CLASSSTRING, IID_NULL},
        {u"", CO_E_CLASSSTRING, IID_NULL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        for (auto* lookup : {CLSIDFromProgID, CLSIDFromString}) {
            CLSID clsid;
            std::memset(&clsid, 0xCC, sizeof clsid);
            EXPECT_EQ(lookup(c.progid, &clsid), c.hr);
            EXPECT_TRUE(IsEqualGUID(clsid, c.expected));
        }
    }
}

// Windows' error for each way a registration can fail; the out-pointer is
// always cleared.
TEST_F(ActivationTest, ClassObjectFailures) {
    const struct {
        const char* clsid;
        DWORD context;
        HRESULT hr;
    } cases[] = {
        {VT_CLSID(5), CLSCTX_INPROC_SERVER, REGDB_E_CLASSNOTREG},
        {VT_CLSID(3), CLSCTX_INPROC_SERVER, CO_E_DLLNOTFOUND},
        {VT_CLSID(2), CLSCTX_INPROC_SERVER, CO_E_ERRORINDLL},
        {VT_CLSID(4), CLSCTX_INPROC_SERVER, CLASS_E_CLASSNOTAVAILABLE},
        {VT_FIXTURE_CLSID, 0x4, REGDB_E_CLASSNOTREG},  // out-of-process only
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clsid);
        void* object = kSentinelPointer;
        EXPECT_EQ(CoGetClassObject(Guid(c.clsid), c.context, nullptr, IID_IClassFactory, &object),
                  c.hr);
        EXPECT_EQ(object, nullptr);
        object = kSentinelPointer;
        EXPECT_EQ(CoCreateInstance(Guid(c.clsid), nullptr, c.context, IID_IUnknown, &object), c.hr);
        EXPECT_EQ(object, nullptr);
    }
    const GUID server = Guid(VT_FIXTURE_CLSID);
    EXPECT_EQ(CoCreateInstance(server, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
              E_POINTER);
    void* object = kSentinelPointer;
    auto* outer = reinterpret_cast<IUnknown*>(kSentinelPointer);
    EXPECT_EQ(CoCreateInstance(server, outer, CLSCTX_INPROC_SERVER, IID_IDispatch, &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    // A damaged hive is a registry failure, not a missing class.
    WriteHive("damaged");
    EXPECT_EQ(CoCreateInstance(server, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_READREGDB);
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(u"Vantrel.Fixture.1", &clsid), REGDB_E_READREGDB);
}

// The module is loaded once per path and serves one class object.
TEST_F(ActivationTest, LoadsOnce) {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE) << "already initialised on this thread";
    const GUID server = Guid(VT_FIXTURE_CLSID);
    void* objects[2] = {};
    ASSERT_EQ(
        CoGetClassObject(server, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, &objects[0]),
        S_OK);
    ASSERT_EQ(CoCreateInstance(server, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &objects[1]),
              S_OK);
    EXPECT_EQ(objects[0], objects[1]) << "the fixture's class object is its instance";
    void* handle = dlopen(VT_FIXTURE_SERVER, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    dlclose(handle);
    CoUninitialize();
    CoUninitialize();
}

std::string Fixture(int index) {
    return std::string(VT_FIXTURE_TYPELIB_DIR) + "/vt_fixture_typelib_" + std::to_string(index) +
           ".so";
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
    EXPECT_EQ(UnRegisterTypeLib(Guid(VT_FIXTURE_LIBID), 1, 10, 0, SYS_WIN64),
              TYPE_E_LIBNOTREGISTERED);
    EXPECT_EQ(UnRegisterTypeLib(Guid(VT_FIXTURE_LIBID), 1, 0, 0, SYS_WIN32),
              TYPE_E_LIBNOTREGISTERED);
    SetString("TypeLib\\" VT_FIXTURE_LIBID "\\2.0", nullptr, "another version");
    SetString("Interface\\" VT_IID_VIEW "\\TypeLib", nullptr,
              "{0A1B2C3D-0000-4000-8000-0000000000FF}");
    EXPECT_EQ(UnRegisterTypeLib(Guid(VT_FIXTURE_LIBID), 1, 10, 0, SYS_WIN32), S_OK);
    EXPECT_EQ(GetString("TypeLib\\" VT_FIXTURE_LIBID "\\2.0"), "another version");
    EXPECT_EQ(GetString("Interface\\" VT_IID_VIEW), "IGView");
    EXPECT_EQ(GetString("Interface\\" VT_IID_FIXTURE), "<error 2>");
    EXPECT_EQ(GetString(kVersionKey.c_str()), "<error 2>");
}

}  // namespace
