// The view frame through a test page: activation in a container, the blob
// codec around the page, size, interfaces and error information.
#include <gtest/gtest.h>
#include <platform/ole2.h>

#include "contract/blob_values.h"
#include "host/site/active_view.h"
#include "views/test_page.h"

namespace vantrel::test {
namespace {

// The page's blob: counted host text, then the flag.
const Bytes kEmptyPageBlob = {1, 0, 0, 0, 0, 0, 0, 0, 0};
const Bytes kFilledPageBlob = {4, 0, 0, 0, 'a', 'b', 'c', 0, 1, 0, 0, 0};

TEST(PageView, WithoutItsTemplateHasNoSizeAndCannotBeActivated) {
    auto view = CreatePage<OrphanPage, IGView>(IID_IGView);
    LONG x = 7;
    LONG y = 7;
    EXPECT_EQ(view->GetOrgSize(&x, &y), S_OK);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    host::ActiveView active;
    EXPECT_EQ(host::ActiveView::Activate(view.Get(), &active), E_FAIL);
    EXPECT_EQ(active.View(), nullptr);
}

// Settings live in the page's controls: nothing to set or get before the
// page exists, and nothing after it went.
TEST(PageView, SetDataReachesOnlyAnActivePage) {
    auto view = CreatePage<TestPage, IGView>(IID_IGView);
    BlobValue blob(kFilledPageBlob);
    EXPECT_EQ(view->SetData(blob.Get()), S_OK);
    EXPECT_EQ(GetDataBytes(view.Get()), kEmptyPageBlob);
    host::ActiveView active;
    ASSERT_EQ(host::ActiveView::Activate(view.Get(), &active), S_OK);
    EXPECT_EQ(GetDataBytes(view.Get()), kEmptyPageBlob);
    EXPECT_EQ(view->SetData(blob.Get()), S_OK);
    EXPECT_EQ(GetDataBytes(view.Get()), kFilledPageBlob);
    // A page destroyed with its container is forgotten, not used.
    DestroyWindow(active.Window());
    EXPECT_EQ(active.Page(), nullptr);
    EXPECT_EQ(view->SetData(blob.Get()), S_OK);
    EXPECT_EQ(GetDataBytes(view.Get()), kEmptyPageBlob);
}

TEST(PageView, GetDataFailsForANullResultAndKeepsExceptionsInside) {
    auto view = CreatePage<TestPage, IGView>(IID_IGView);
    EXPECT_EQ(view->GetData(nullptr), E_FAIL);
    TestPage::Log().throw_in_write = true;
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(view->GetData(&value), E_OUTOFMEMORY);
    EXPECT_EQ(value.vt, VT_EMPTY);
    TestPage::Log().throw_in_write = false;
}

// Activation needs a site, makes the page a child of the site's window and
// tells the site; hiding, showing and deactivating follow the verbs.
TEST(PageView, ActivationAndVerbsReachThePageAndTheSite) {
    auto view = CreatePage<TestPage, IGView>(IID_IGView);
    ComPtr<IOleObject> object;
    ASSERT_EQ(view->QueryInterface(IID_IOleObject, object.PutVoid()), S_OK);
    EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr),
              E_UNEXPECTED)
        << "no site";
    int inits = TestPage::Log().init_dialogs;
    host::ActiveView active;
    ASSERT_EQ(host::ActiveView::Activate(view.Get(), &active), S_OK);
    HWND page = active.Page();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(GetParent(page), active.Window());
    EXPECT_EQ(TestPage::Log().init_dialogs, inits + 1);
    // UI activation focuses the first tab stop.
    EXPECT_EQ(GetFocus(), GetDlgItem(page, kHostEdit));
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(object->GetClientSite(site.Put()), S_OK);
    auto* container = static_cast<host::ViewSite*>(site.Get());
    EXPECT_TRUE(container->InPlaceActive());
    EXPECT_TRUE(container->UiActive());

    EXPECT_EQ(object->DoVerb(OLEIVERB_HIDE, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
    EXPECT_FALSE(container->UiActive());
    EXPECT_FALSE(IsWindowVisible(page));
    EXPECT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(object->DoVerb(-7, nullptr, nullptr, 0, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(object->DoVerb(3, nullptr, nullptr, 0, nullptr, nullptr), OLEOBJ_S_INVALIDVERB);

    EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(IsWindow(page));
    EXPECT_FALSE(container->InPlaceActive());
    EXPECT_EQ(active.Page(), nullptr);
    ComPtr<IOleInPlaceObject> in_place;
    ASSERT_EQ(view->QueryInterface(IID_IOleInPlaceObject, in_place.PutVoid()), S_OK);
    EXPECT_EQ(in_place->InPlaceDeactivate(), S_OK) << "already inactive";
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(in_place->GetWindow(&window), E_FAIL);
    EXPECT_EQ(window, nullptr);
    EXPECT_EQ(GetDataBytes(view.Get()), kEmptyPageBlob) << "settings went with the page";
}

// The control interfaces a container may ask for (and only those) all lead
// back to one IUnknown; size and class come with their pointer checks.
TEST(PageView, AnswersItsInterfacesWithOneIdentity) {
    const IID kIViewObjectEx = {
        0x3AF24292, 0x0C96, 0x11CE, {0xA0, 0xCF, 0x00, 0xAA, 0x00, 0x60, 0x0A, 0xB8}};
    const std::pair<const IID*, HRESULT> cases[] = {
        {&kTestPageIdentity.own_iid, S_OK},
        {&IID_IGView, S_OK},
        {&IID_IDispatch, S_OK},
        {&IID_IViewObject2, S_OK},
        {&IID_IOleInPlaceObject, S_OK},
        {&IID_IOleControl, S_OK},
        {&IID_IOleObject, S_OK},
        {&IID_IPersistStreamInit, S_OK},
        {&IID_IPersistStorage, S_OK},
        {&IID_ISupportErrorInfo, S_OK},
        {&kIViewObjectEx, E_NOINTERFACE},
        {&IID_IOleClientSite, E_NOINTERFACE},
    };
    auto unknown = CreatePage<TestPage, IUnknown>(IID_IUnknown);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const auto& [iid, expected] = cases[i];
        void* found = reinterpret_cast<void*>(1);
        ASSERT_EQ(unknown->QueryInterface(*iid, &found), expected);
        if (expected != S_OK) {
            EXPECT_EQ(found, nullptr);
            continue;
        }
        auto* answered = static_cast<IUnknown*>(found);
        ComPtr<IUnknown> identity;
        EXPECT_EQ(answered->QueryInterface(IID_IUnknown, identity.PutVoid()), S_OK);
        EXPECT_EQ(identity.Get(), unknown.Get());
        answered->Release();
    }
    ComPtr<IOleObject> object;
    ASSERT_EQ(unknown->QueryInterface(IID_IOleObject, object.PutVoid()), S_OK);
    SIZEL extent{-1, -1};
    EXPECT_EQ(object->GetExtent(4, &extent), DV_E_DVASPECT);
    ComPtr<IGView> view;
    ASSERT_EQ(unknown->QueryInterface(IID_IGView, view.PutVoid()), S_OK);
    LONG y = 0;
    EXPECT_EQ(view->GetOrgSize(nullptr, &y), E_POINTER);
    ComPtr<IPersist> persist;
    ASSERT_EQ(unknown->QueryInterface(IID_IPersist, persist.PutVoid()), S_OK);
    CLSID clsid{};
    EXPECT_EQ(persist->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualGUID(clsid, kTestPageIdentity.clsid));
    EXPECT_EQ(persist->GetClassID(nullptr), E_POINTER);
}

}  // namespace
}  // namespace vantrel::test
