// QueryInterface maps, IDispatch identity, aggregation and the module lock
// count, for every class of the table.
#include "contract_test_support.h"

#include <set>

namespace vantrel::test {
namespace {

void* Query(IUnknown* object, REFIID riid, HRESULT expected) {
    void* result = reinterpret_cast<void*>(0x1);  // sentinel: must be overwritten
    EXPECT_EQ(object->QueryInterface(riid, &result), expected);
    if (SUCCEEDED(expected)) {
        static_cast<IUnknown*>(result)->Release();
    } else {
        EXPECT_EQ(result, nullptr);
    }
    return result;
}

TEST(ComObject, QueryInterfaceMapsPerKind) {
    for (const ClassInfo* info : ClassTable()) {
        SCOPED_TRACE(info->identity.name);
        ComPtr<IUnknown> object = Create<IUnknown>(*info, IID_IUnknown);
        ASSERT_TRUE(object);
        void* own = Query(object.Get(), info->identity.own_iid, S_OK);
        void* dispatch = Query(object.Get(), IID_IDispatch, S_OK);
        if (info->IsView()) {
            void* view = Query(object.Get(), IID_IGView, S_OK);
            EXPECT_EQ(dispatch, view);  // IDispatch yields IGView
            Query(object.Get(), IID_IIPUpdate, E_NOINTERFACE);
        } else {
            Query(object.Get(), IID_IIPUpdate, S_OK);
            EXPECT_EQ(dispatch, own);  // IDispatch yields the own interface
            Query(object.Get(), IID_IGView, E_NOINTERFACE);
        }
        Query(object.Get(), IID_IClassFactory, E_NOINTERFACE);
        EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
        // A failed creation leaves no object locking the module.
        const LONG before = ModuleLockCount();
        void* result = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(info->create(nullptr, IID_IClassFactory, &result), E_NOINTERFACE);
        EXPECT_EQ(result, nullptr);
        EXPECT_EQ(info->create(nullptr, IID_IUnknown, nullptr), E_POINTER);
        EXPECT_EQ(ModuleLockCount(), before);
    }
}

// An outer object that answers only IUnknown itself and counts references.
class Outer : public IUnknown {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (IsEqualGUID(riid, IID_IUnknown)) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        return m_inner ? m_inner->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override { return --m_refs; }

    ULONG m_refs = 1;
    IUnknown* m_inner = nullptr;
};

// Only the classes marked aggregatable take an outer object, and then only
// for IUnknown; their interfaces count on and answer for the outer object.
TEST(ComObject, AggregatedInterfacesDelegateToTheOuterObject) {
    const std::set<std::string> aggregatable = {"DipDNS",     "DipDNSObj",  "DyFi",
                                                "DyFiView",   "EuroDynDns", "GenGnuDIPObj",
                                                "GnuDIP2Obj", "Win2000Obj"};
    for (const ClassInfo* info : ClassTable()) {
        SCOPED_TRACE(info->identity.name);
        Outer outer;
        void* refused = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(info->create(&outer, IID_IDispatch, &refused), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(refused, nullptr);
        HRESULT hr = info->create(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.m_inner));
        ASSERT_EQ(hr, aggregatable.count(info->identity.name) ? S_OK : CLASS_E_NOAGGREGATION);
        if (hr != S_OK) {
            continue;
        }
        REFIID shared = info->IsView() ? IID_IGView : IID_IIPUpdate;
        IDispatch* inner_interface = nullptr;
        ASSERT_EQ(outer.m_inner->QueryInterface(shared, reinterpret_cast<void**>(&inner_interface)),
                  S_OK);
        EXPECT_EQ(outer.m_refs, 2u);  // counted on the outer object

        IUnknown* identity = nullptr;
        ASSERT_EQ(
            inner_interface->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)),
            S_OK);
        EXPECT_EQ(identity, &outer);
        identity->Release();
        inner_interface->Release();
        EXPECT_EQ(outer.m_refs, 1u);

        const LONG locked = ModuleLockCount();
        outer.m_inner->Release();
        EXPECT_EQ(ModuleLockCount(), locked - 1);
    }
}

}  // namespace
}  // namespace vantrel::test
