// Class objects and unload counting, through the module's exports.
#include "contract/class_ids.h"
#include "module_fixture.h"

#include <set>
#include <string>

namespace vantrel::test {
namespace {

// The aggregatable column of the class table; every other class refuses.
const std::set<std::string> kAggregatable = {"DipDNS",     "DipDNSObj",    "DyFi",       "DyFiView",
                                             "EuroDynDns", "GenGnuDIPObj", "GnuDIP2Obj", "Win2000Obj"};

class NullOuter : public IUnknown {
public:
    HRESULT QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
};

using ModuleExports = ModuleTest;

TEST_F(ModuleExports, ClassObjectIsCreatedOnceAndShared) {
    for (const ClassIdentity* identity : kClassIdentities) {
        SCOPED_TRACE(identity->name);
        IClassFactory* first = nullptr;
        IUnknown* second = nullptr;
        ASSERT_EQ(m_get_class_object(identity->clsid, IID_IClassFactory,
                                     reinterpret_cast<void**>(&first)),
                  S_OK);
        ASSERT_EQ(
            m_get_class_object(identity->clsid, IID_IUnknown, reinterpret_cast<void**>(&second)),
            S_OK);
        EXPECT_EQ(static_cast<IUnknown*>(first), second);
        first->Release();
        second->Release();
    }
}

TEST_F(ModuleExports, GetClassObjectRejectsBadArguments) {
    void* result = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(m_get_class_object(IID_IGView, IID_IClassFactory, &result),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(m_get_class_object(kDipDNSIdentity.clsid, IID_IClassFactory, nullptr), E_POINTER);
    result = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(m_get_class_object(kDipDNSIdentity.clsid, IID_IGView, &result), E_NOINTERFACE);
    EXPECT_EQ(result, nullptr);
}

TEST_F(ModuleExports, CanUnloadOnlyWithoutObjectsOrLocks) {
    EXPECT_EQ(m_can_unload_now(), S_OK);
    IClassFactory* factory = nullptr;
    ASSERT_EQ(m_get_class_object(kDyFiIdentity.clsid, IID_IClassFactory,
                                 reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(m_can_unload_now(), S_OK);  // a class object is no lock

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
    factory->Release();
}

TEST_F(ModuleExports, AggregationOnlyByMarkedClasses) {
    for (const ClassIdentity* identity : kClassIdentities) {
        SCOPED_TRACE(identity->name);
        const bool aggregatable = kAggregatable.count(identity->name) == 1;
        IClassFactory* factory = nullptr;
        ASSERT_EQ(m_get_class_object(identity->clsid, IID_IClassFactory,
                                     reinterpret_cast<void**>(&factory)),
                  S_OK);
        NullOuter outer;
        void* inner = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(factory->CreateInstance(&outer, IID_IDispatch, &inner), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(inner, nullptr);
        HRESULT hr = factory->CreateInstance(&outer, IID_IUnknown, &inner);
        EXPECT_EQ(hr, aggregatable ? S_OK : CLASS_E_NOAGGREGATION);
        if (SUCCEEDED(hr)) {
            static_cast<IUnknown*>(inner)->Release();
        }
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
        factory->Release();
        EXPECT_EQ(m_can_unload_now(), S_OK);
    }
}

}  // namespace
}  // namespace vantrel::test
