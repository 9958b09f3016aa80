// Class objects and unload counting, through the module's exports.
#include "contract/class_ids.h"
#include "module_fixture.h"

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
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, nullptr), E_POINTER);
    factory->Release();
}

}  // namespace
}  // namespace vantrel::test
