// The frame's persistent state in the platform's memory streams and
// storages, its ambient background and its drawing while not active in
// place.
#include <gtest/gtest.h>
#include <platform/ole2.h>
#include <platform/vtui.h>

#include "host/site/active_view.h"
#include "views/test_page.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace vantrel::test {
namespace {

ComPtr<IStream> StreamHolding(const std::vector<BYTE>& bytes) {
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
    if (!bytes.empty()) {
        EXPECT_EQ(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr), S_OK);
    }
    LARGE_INTEGER start{};
    EXPECT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
    return stream;
}

std::vector<BYTE> StreamBytes(IStream* stream) {
    LARGE_INTEGER start{};
    EXPECT_EQ(stream->Seek(start, STREAM_SEEK_SET, nullptr), S_OK);
    std::vector<BYTE> bytes(64);
    ULONG read = 0;
    EXPECT_EQ(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read), S_OK);
    bytes.resize(read);
    return bytes;
}

// Version 0x0710, then the extent 7779 x 6376 HIMETRIC, little-endian.
const std::vector<BYTE> kNaturalState = {0x10, 0x07, 0, 0, 0x63, 0x1E, 0, 0, 0xE8, 0x18, 0, 0};

// The platform's memory stream, which view state is saved in: seeking and
// reading as Windows' HGLOBAL streams do.
TEST(MemoryStream, ReadsWritesAndSeeks) {
    // The stand-in has no global memory to wrap: only a new block.
    IStream* refused = reinterpret_cast<IStream*>(1);
    EXPECT_EQ(CreateStreamOnHGlobal(reinterpret_cast<HGLOBAL>(8), TRUE, &refused), E_INVALIDARG);
    EXPECT_EQ(refused, nullptr);
    ComPtr<IStream> stream = StreamHolding({'h', 'e', 'l', 'l', 'o'});
    const struct {
        int64_t move;
        DWORD origin;
        HRESULT expected;
        uint64_t position;
    } cases[] = {
        {2, STREAM_SEEK_CUR, S_OK, 2},
        {-1, STREAM_SEEK_END, S_OK, 4},
        {10, STREAM_SEEK_END, S_OK, 15},  // past the end is allowed
        {-1, STREAM_SEEK_SET, STG_E_INVALIDFUNCTION, 15},
        {0, 7, STG_E_INVALIDFUNCTION, 15},
    };
    for (const auto& c : cases) {
        LARGE_INTEGER move{};
        move.QuadPart = c.move;
        ULARGE_INTEGER position{};
        EXPECT_EQ(stream->Seek(move, c.origin, &position), c.expected) << c.move;
        if (c.expected == S_OK) {
            EXPECT_EQ(position.QuadPart, c.position) << c.move;
        }
    }
    // Writing past the end fills the gap with zeros.
    EXPECT_EQ(stream->Write("!", 1, nullptr), S_OK);
    char buffer[4];
    ULONG read = 99;
    EXPECT_EQ(stream->Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(read, 0u) << "nothing to read at the end";
    std::vector<BYTE> expected = {'h', 'e', 'l', 'l', 'o'};
    expected.resize(15);
    expected.push_back('!');
    EXPECT_EQ(StreamBytes(stream.Get()), expected);
}

using Size = std::pair<LONG, LONG>;

Size ExtentOf(IUnknown* page) {
    ComPtr<IOleObject> object;
    EXPECT_EQ(page->QueryInterface(IID_IOleObject, object.PutVoid()), S_OK);
    SIZEL extent{-1, -1};
    EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    return {extent.cx, extent.cy};
}

TEST(PageViewPersistence, LoadsStateOfItsOwnVersionOrOlder) {
    const struct {
        const char* name;
        std::vector<BYTE> bytes;
        HRESULT expected;
        Size extent;  // after the load
    } cases[] = {
        {"current", {0x10, 0x07, 0, 0, 100, 0, 0, 0, 200, 0, 0, 0}, S_OK, {100, 200}},
        {"older", {0x00, 0x06, 0, 0, 1, 1, 0, 0, 2, 2, 0, 0}, S_OK, {257, 514}},
        {"newer", {0x11, 0x07, 0, 0, 100, 0, 0, 0, 200, 0, 0, 0}, E_FAIL, {7779, 6376}},
        {"short", {0x10, 0x07, 0, 0, 100, 0, 0}, E_FAIL, {7779, 6376}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto persist = CreatePage<TestPage, IPersistStreamInit>(IID_IPersistStreamInit);
        EXPECT_EQ(persist->Load(StreamHolding(c.bytes).Get()), c.expected);
        EXPECT_EQ(ExtentOf(persist.Get()), c.extent);
        // The page's natural size is not persistent state.
        ComPtr<IGView> view;
        ASSERT_EQ(persist->QueryInterface(IID_IGView, view.PutVoid()), S_OK);
        Size natural;
        EXPECT_EQ(view->GetOrgSize(&natural.first, &natural.second), S_OK);
        EXPECT_EQ(natural, Size(294, 241));
    }
}

TEST(PageViewPersistence, SavesTwelveBytesAndIsDirtyAfterExtentChangesUntilSaved) {
    auto persist = CreatePage<TestPage, IPersistStreamInit>(IID_IPersistStreamInit);
    EXPECT_EQ(persist->InitNew(), S_OK);
    ULARGE_INTEGER size{};
    EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, 12u);
    ComPtr<IStream> stream = StreamHolding({});
    EXPECT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(StreamBytes(stream.Get()), kNaturalState);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    ComPtr<IOleObject> object;
    ASSERT_EQ(persist->QueryInterface(IID_IOleObject, object.PutVoid()), S_OK);
    SIZEL extent{1000, 2000};
    EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    EXPECT_EQ(persist->Save(StreamHolding({}).Get(), FALSE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_OK);
    stream = StreamHolding({});
    EXPECT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    auto other = CreatePage<TestPage, IPersistStreamInit>(IID_IPersistStreamInit);
    EXPECT_EQ(other->Load(StreamHolding(StreamBytes(stream.Get())).Get()), S_OK);
    EXPECT_EQ(ExtentOf(other.Get()), Size(1000, 2000));
}

// View state goes into a "Contents" stream of the platform's memory
// storage, which answers as Windows' compound files do.
TEST(PageViewPersistence, KeepsItsStateInTheContentsStreamOfAStorage) {
    auto persist = CreatePage<TestPage, IPersistStorage>(IID_IPersistStorage);
    ComPtr<IStorage> storage;
    EXPECT_EQ(StgCreateDocfile(u"file.stg", STGM_READWRITE, 0, storage.Put()), STG_E_INVALIDNAME);
    ASSERT_EQ(StgCreateDocfile(nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, storage.Put()),
              S_OK);
    EXPECT_EQ(persist->InitNew(storage.Get()), S_OK);
    EXPECT_EQ(persist->Load(storage.Get()), STG_E_FILENOTFOUND);
    // Saving twice replaces the stream rather than appending to it.
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(persist->Save(storage.Get(), TRUE), S_OK);
        EXPECT_EQ(persist->SaveCompleted(nullptr), S_OK);
    }
    constexpr DWORD kWrite = STGM_WRITE | STGM_SHARE_EXCLUSIVE;
    constexpr DWORD kRead = STGM_READ | STGM_SHARE_EXCLUSIVE;
    const struct {
        const char* what;
        const char16_t* name;
        DWORD mode;
        bool create;
        HRESULT expected;
    } cases[] = {
        {"create existing", u"Contents", kWrite, true, STG_E_FILEALREADYEXISTS},
        {"create without exclusive sharing", u"Other", STGM_WRITE, true, STG_E_INVALIDFLAG},
        {"create with a bad name", u"a\\b", kWrite, true, STG_E_INVALIDNAME},
        {"open missing", u"Missing", kRead, false, STG_E_FILENOTFOUND},
        {"open with STGM_CREATE", u"Contents", kRead | STGM_CREATE, false, STG_E_INVALIDFLAG},
        {"open in another case", u"CONTENTS", kRead, false, S_OK},
    };
    for (const auto& c : cases) {
        IStream* stream = reinterpret_cast<IStream*>(1);
        HRESULT hr = c.create ? storage->CreateStream(c.name, c.mode, 0, 0, &stream)
                              : storage->OpenStream(c.name, nullptr, c.mode, 0, &stream);
        EXPECT_EQ(hr, c.expected) << c.what;
        EXPECT_EQ(stream != nullptr, hr == S_OK) << c.what;
        if (stream != nullptr) {
            stream->Release();
        }
    }
    ComPtr<IStream> contents;
    ASSERT_EQ(storage->OpenStream(u"Contents", nullptr, kRead, 0, contents.Put()), S_OK);
    EXPECT_EQ(StreamBytes(contents.Get()), kNaturalState);
    EXPECT_EQ(contents->Write("!", 1, nullptr), STG_E_ACCESSDENIED);
    auto other = CreatePage<TestPage, IPersistStorage>(IID_IPersistStorage);
    EXPECT_EQ(other->Load(storage.Get()), S_OK);
}

HBRUSH PageBrush(HWND page) {
    return reinterpret_cast<HBRUSH>(
        SendMessageA(page, WM_CTLCOLORDLG, 0, reinterpret_cast<LPARAM>(page)));
}

TEST(PageViewAmbient, BackgroundBrushFollowsTheAmbientBackColour) {
    auto view = CreatePage<TestPage, IGView>(IID_IGView);
    host::ActiveView active;
    ASSERT_EQ(host::ActiveView::Activate(view.Get(), &active), S_OK);
    HBRUSH initial = PageBrush(active.Page());
    ASSERT_NE(initial, nullptr);
    // The page answers with its own brush, not the dialog default.
    EXPECT_NE(initial, GetSysColorBrush(COLOR_BTNFACE));

    ComPtr<IOleControl> control;
    ASSERT_EQ(view->QueryInterface(IID_IOleControl, control.PutVoid()), S_OK);
    EXPECT_EQ(control->OnAmbientPropertyChange(DISPID_AMBIENT_FORECOLOR), S_OK);
    EXPECT_EQ(PageBrush(active.Page()), initial);

    active.SetBackColor(RGB(10, 20, 30));
    HBRUSH changed = PageBrush(active.Page());
    EXPECT_NE(changed, initial);
    EXPECT_NE(changed, nullptr);
}

TEST(ViewSite, AnswersAmbientPropertyGets) {
    const struct {
        DISPID id;
        WORD flags;
        HRESULT expected;
        VARTYPE type;
    } cases[] = {
        {DISPID_AMBIENT_BACKCOLOR, DISPATCH_PROPERTYGET, S_OK, VT_I4},
        {DISPID_AMBIENT_USERMODE, DISPATCH_PROPERTYGET, S_OK, VT_BOOL},
        {DISPID_AMBIENT_FORECOLOR, DISPATCH_PROPERTYGET, DISP_E_MEMBERNOTFOUND, VT_EMPTY},
        {DISPID_AMBIENT_BACKCOLOR, DISPATCH_METHOD, DISP_E_MEMBERNOTFOUND, VT_EMPTY},
    };
    host::ComRef<host::ViewSite> site =
        host::ComRef<host::ViewSite>::Adopt(host::ViewSite::Create(nullptr));
    site->SetBackColor(RGB(10, 20, 30));
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    for (const auto& c : cases) {
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(site->Invoke(c.id, IID_NULL, 0, c.flags, &none, &result, nullptr, nullptr),
                  c.expected)
            << c.id;
        EXPECT_EQ(result.vt, c.type) << c.id;
        if (c.type == VT_I4) {
            EXPECT_EQ(result.lVal, static_cast<LONG>(RGB(10, 20, 30)));
        }
    }
    // Without a window there is nothing to activate in.
    EXPECT_EQ(site->CanInPlaceActivate(), S_FALSE);
    auto object = CreatePage<TestPage, IOleObject>(IID_IOleObject);
    EXPECT_EQ(object->SetClientSite(site.Get()), S_OK);
    EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, nullptr),
              E_FAIL);
    EXPECT_EQ(object->SetClientSite(nullptr), S_OK);
}

// A window of the view's size to draw on, and the text it then shows.
struct Canvas {
    HWND window = CreateWindowExA(0, "#32770", "", WS_POPUP | WS_VISIBLE, 0, 0, 294, 241, nullptr,
                                  nullptr, nullptr, nullptr);
    HDC dc = GetDC(window);
    ~Canvas() {
        ReleaseDC(window, dc);
        DestroyWindow(window);
    }
    HRESULT Draw(IViewObject* view, DWORD aspect = DVASPECT_CONTENT, bool bounded = true) {
        RECTL bounds{0, 0, 294, 241};
        return view->Draw(aspect, -1, nullptr, nullptr, nullptr, dc, bounded ? &bounds : nullptr,
                          nullptr, nullptr, 0);
    }
    std::string Text() const {
        std::array<char, 4096> text{};
        int length = VtRenderToText(window, FALSE, text.data(), static_cast<int>(text.size()));
        return std::string(text.data(), static_cast<size_t>(length > 0 ? length : 0));
    }
};

TEST(PageViewDrawing, ShowsItsBoundsAndKindOnlyWhileNotActive) {
    auto view = CreatePage<TestPage, IViewObject>(IID_IViewObject);
    Canvas canvas;
    ASSERT_NE(canvas.window, nullptr);
    EXPECT_EQ(canvas.Draw(view.Get()), S_OK);
    std::string text = canvas.Text();
    EXPECT_NE(text.find("ATL Composite Control"), std::string::npos) << text;
    EXPECT_EQ(text.front(), '+') << text;
    // The line with the text is the middle one.
    size_t line =
        std::count(text.begin(), text.begin() + static_cast<ptrdiff_t>(text.find("ATL")), '\n');
    size_t lines = std::count(text.begin(), text.end(), '\n');
    EXPECT_EQ(line, (lines - 1) / 2) << text;
    EXPECT_EQ(canvas.Draw(view.Get(), 2), DV_E_DVASPECT);
    EXPECT_EQ(canvas.Draw(view.Get(), DVASPECT_CONTENT, false), E_INVALIDARG);

    // While active the page paints itself.
    host::ActiveView active;
    ASSERT_EQ(host::ActiveView::Activate(view.Get(), &active), S_OK);
    Canvas behind;
    EXPECT_EQ(behind.Draw(view.Get()), S_OK);
    EXPECT_EQ(behind.Text().find("ATL Composite Control"), std::string::npos);
}

}  // namespace
}  // namespace vantrel::test
