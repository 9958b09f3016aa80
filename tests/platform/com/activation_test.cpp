// Conformance of registry-driven activation with its Windows behaviour.
#include "../registry/registry_fixture.h"
#include "typelib_cases.h"

#include <platform/com.h>

#include <dlfcn.h>
#include <cstring>

namespace {

void* const kSentinelPointer = reinterpret_cast<void*>(0x1234);

GUID Guid(const char16_t* text) {
    GUID guid{};
    EXPECT_EQ(CLSIDFromString(text, &guid), S_OK);
    return guid;
}

#define VT_CLSID(n) "{0A1B2C3D-0000-4000-8000-0000000000C" #n "}"
const char16_t kServerClsid[] = u"" VT_FIXTURE_CLSID;
const char16_t kNoEntryClsid[] = u"" VT_CLSID(2);
const char16_t kMissingFileClsid[] = u"" VT_CLSID(3);
const char16_t kUnknownToServerClsid[] = u"" VT_CLSID(4);
const char16_t kUnregisteredClsid[] = u"" VT_CLSID(5);

bool IsLoaded(const char* path) {
    void* handle = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle != nullptr)
        dlclose(handle);
    return handle != nullptr;
}

class ActivationTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        SetString("Vantrel.Fixture.1\\CLSID", nullptr, VT_FIXTURE_CLSID);
        SetString("Vantrel.Broken\\CLSID", nullptr, "not a guid");
        SetString("CLSID\\" VT_FIXTURE_CLSID "\\InprocServer32", nullptr, VT_FIXTURE_SERVER);
        SetString("CLSID\\" VT_FIXTURE_CLSID "\\ProgID", nullptr, "Vantrel.Fixture.1");
        SetString("CLSID\\" VT_CLSID(2) "\\InprocServer32", nullptr, VT_FIXTURE_NO_ENTRY);
        SetString("CLSID\\" VT_CLSID(3) "\\InprocServer32", nullptr, "/nonexistent/server.so");
        SetString("CLSID\\" VT_CLSID(4) "\\InprocServer32", nullptr, VT_FIXTURE_SERVER);
    }
};

// CLSIDFromProgID reads HKCR\<ProgID>\CLSID; Windows answers
// CO_E_CLASSSTRING for an unknown ProgID, and CLSIDFromString falls back
// to the ProgID lookup.
TEST_F(ActivationTest, ProgIdLookups) {
    const struct {
        const char16_t* progid;
        HRESULT hr;
        GUID expected;
    } cases[] = {
        {u"Vantrel.Fixture.1", S_OK, Guid(kServerClsid)},
        {u"vantrel.fixture.1", S_OK, Guid(kServerClsid)},
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

// Windows' CoGetClassObject error for each way a registration can fail; the
// out-pointer is always cleared.
TEST_F(ActivationTest, ClassObjectFailures) {
    const struct {
        const char* what;
        const char16_t* clsid;
        DWORD context;
        HRESULT hr;
    } cases[] = {
        {"not registered", kUnregisteredClsid, CLSCTX_INPROC_SERVER, REGDB_E_CLASSNOTREG},
        {"module file missing", kMissingFileClsid, CLSCTX_INPROC_SERVER, CO_E_DLLNOTFOUND},
        {"no DllGetClassObject", kNoEntryClsid, CLSCTX_INPROC_SERVER, CO_E_ERRORINDLL},
        {"class not in module", kUnknownToServerClsid, CLSCTX_INPROC_SERVER,
         CLASS_E_CLASSNOTAVAILABLE},
        {"out-of-process only", kServerClsid, 0x4, REGDB_E_CLASSNOTREG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        void* object = kSentinelPointer;
        EXPECT_EQ(CoGetClassObject(Guid(c.clsid), c.context, nullptr, IID_IClassFactory, &object),
                  c.hr);
        EXPECT_EQ(object, nullptr);
        object = kSentinelPointer;
        EXPECT_EQ(CoCreateInstance(Guid(c.clsid), nullptr, c.context, IID_IUnknown, &object), c.hr);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(
        CoCreateInstance(Guid(kServerClsid), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr),
        E_POINTER);
    void* object = kSentinelPointer;
    auto* outer = reinterpret_cast<IUnknown*>(kSentinelPointer);
    EXPECT_EQ(
        CoCreateInstance(Guid(kServerClsid), outer, CLSCTX_INPROC_SERVER, IID_IDispatch, &object),
        CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    // A damaged hive is a registry failure, not a missing class.
    WriteHive("damaged");
    EXPECT_EQ(
        CoCreateInstance(Guid(kServerClsid), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
        REGDB_E_READREGDB);
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(u"Vantrel.Fixture.1", &clsid), REGDB_E_READREGDB);
}

// The module is loaded once per path and serves one class object.
TEST_F(ActivationTest, LoadsOnce) {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE) << "already initialised on this thread";
    void* objects[2] = {};
    const IID* iids[2] = {&IID_IClassFactory, &IID_IUnknown};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(CoGetClassObject(Guid(kServerClsid), CLSCTX_INPROC_SERVER, nullptr, *iids[i],
                                   &objects[i]),
                  S_OK);
        static_cast<IUnknown*>(objects[i])->Release();
    }
    EXPECT_EQ(objects[0], objects[1]) << "one module, one class object";
    EXPECT_TRUE(IsLoaded(VT_FIXTURE_SERVER));
    CoUninitialize();
    CoUninitialize();
}

}  // namespace
