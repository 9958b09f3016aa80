// The nine views of the built module: each one is a frame on a page of the
// module's resources, so they all report the same natural size and answer
// the same control interfaces.
#include <gtest/gtest.h>
#include <platform/ole2.h>
#include <vantrel/vantrel.h>

#include "contract/class_ids.h"

namespace {

const vantrel::ClassIdentity* const kViews[] = {
    &vantrel::kDynamIdentity,         &vantrel::kDynupIdentity,   &vantrel::kDnsExitViewIdentity,
    &vantrel::kEuroDynDnsIdentity,    &vantrel::kWin2000Identity, &vantrel::kGnuDIP2ViewIdentity,
    &vantrel::kGenGnuDIPViewIdentity, &vantrel::kDipDNSIdentity,  &vantrel::kDyFiViewIdentity,
};

const IID* const kControlInterfaces[] = {
    &IID_IViewObject2,      &IID_IViewObject,     &IID_IOleInPlaceObject,  &IID_IOleWindow,
    &IID_IOleControl,       &IID_IOleObject,      &IID_IPersistStreamInit, &IID_IPersist,
    &IID_ISupportErrorInfo, &IID_IPersistStorage,
};

class ModuleViews : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = LoadLibraryExA(VANTREL_MODULE_PATH, nullptr, 0);
        ASSERT_NE(m_module, nullptr);
        m_get_class_object = reinterpret_cast<VantrelDllGetClassObjectFn>(
            GetProcAddress(m_module, "DllGetClassObject"));
        ASSERT_NE(m_get_class_object, nullptr);
    }
    void TearDown() override {
        if (m_module != nullptr) {
            FreeLibrary(m_module);
        }
    }

    IGView* CreateView(const vantrel::ClassIdentity& identity) {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(m_get_class_object(identity.clsid, IID_IClassFactory,
                                     reinterpret_cast<void**>(&factory)),
                  S_OK)
            << identity.name;
        if (factory == nullptr) {
            return nullptr;
        }
        IGView* view = nullptr;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IGView, reinterpret_cast<void**>(&view)),
                  S_OK)
            << identity.name;
        factory->Release();
        return view;
    }

private:
    HMODULE m_module = nullptr;
    VantrelDllGetClassObjectFn m_get_class_object = nullptr;
};

TEST_F(ModuleViews, AllReportTheSameNaturalSize) {
    for (const vantrel::ClassIdentity* identity : kViews) {
        IGView* view = CreateView(*identity);
        ASSERT_NE(view, nullptr) << identity->name;
        LONG x = 1;
        LONG y = 1;
        EXPECT_EQ(view->GetOrgSize(&x, &y), S_OK) << identity->name;
        EXPECT_EQ(x, 294) << identity->name;
        EXPECT_EQ(y, 241) << identity->name;
        view->Release();
    }
}

TEST_F(ModuleViews, AllAnswerTheControlInterfaces) {
    for (const vantrel::ClassIdentity* identity : kViews) {
        IGView* view = CreateView(*identity);
        ASSERT_NE(view, nullptr) << identity->name;
        for (const IID* iid : kControlInterfaces) {
            IUnknown* found = nullptr;
            EXPECT_EQ(view->QueryInterface(*iid, reinterpret_cast<void**>(&found)), S_OK)
                << identity->name;
            if (found != nullptr) {
                found->Release();
            }
        }
        ISupportErrorInfo* support = nullptr;
        ASSERT_EQ(view->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)),
                  S_OK);
        EXPECT_EQ(support->InterfaceSupportsErrorInfo(identity->own_iid), S_OK) << identity->name;
        EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IGView), S_FALSE) << identity->name;
        support->Release();
        view->Release();
    }
}

}  // namespace
