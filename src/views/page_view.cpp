#include "views/page_view.h"

#include "views/page_extent.h"

namespace vantrel {

namespace {

// Any address inside the module names it.
void AnchorInsideModule() {}

}  // namespace

PageView::PageView(const ClassInfo& info, const char* display_name, WORD page_template)
    : View(info, display_name), m_page_template(page_template) {
    m_natural_extent = PixelsToHimetric(TemplatePixels(ModuleInstance(), page_template));
    m_extent = m_natural_extent;
}

PageView::~PageView() {
    // A view released while still active takes its page with it.
    if (m_page != nullptr) {
        SetWindowLongPtrA(m_page, DWLP_USER, 0);
        DestroyWindow(m_page);
    }
}

HINSTANCE PageView::ModuleInstance() {
    HMODULE module = nullptr;
    if (GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&AnchorInsideModule), &module)) {
        return module;
    }
    // Linked into a program rather than loaded as a module: the program
    // carries the resources.
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, nullptr, &module);
    return module;
}

void* PageView::FindInterface(REFIID riid) {
    if (void* found = View::FindInterface(riid)) {
        return found;
    }
    if (IsEqualGUID(riid, IID_IViewObject2) || IsEqualGUID(riid, IID_IViewObject)) {
        return static_cast<IViewObject2*>(this);
    }
    if (IsEqualGUID(riid, IID_IOleInPlaceObject) || IsEqualGUID(riid, IID_IOleWindow)) {
        return static_cast<IOleInPlaceObject*>(this);
    }
    if (IsEqualGUID(riid, IID_IOleControl)) {
        return static_cast<IOleControl*>(this);
    }
    if (IsEqualGUID(riid, IID_IOleObject)) {
        return static_cast<IOleObject*>(this);
    }
    if (IsEqualGUID(riid, IID_IPersistStreamInit) || IsEqualGUID(riid, IID_IPersist)) {
        return static_cast<IPersistStreamInit*>(this);
    }
    if (IsEqualGUID(riid, IID_ISupportErrorInfo)) {
        return static_cast<ISupportErrorInfo*>(this);
    }
    if (IsEqualGUID(riid, IID_IPersistStorage)) {
        return static_cast<IPersistStorage*>(this);
    }
    return nullptr;
}

INT_PTR PageView::OnPageMessage(UINT, WPARAM, LPARAM) {
    return FALSE;
}

HRESULT PageView::GetData(VARIANT* value) {
    if (value == nullptr) {
        return E_FAIL;
    }
    return Guarded([&] {
        BlobWriter writer;
        WriteFields(writer);
        return writer.ToVariant(value);
    });
}

HRESULT PageView::SetData(VARIANT value) {
    if (m_page == nullptr) {
        return S_OK;
    }
    // SetData never fails: what the page cannot take is left out.
    HRESULT ignored = Guarded([&] {
        BlobReader reader(value);
        if (reader.IsBlob()) {
            ReadFields(reader);
        }
        return S_OK;
    });
    static_cast<void>(ignored);
    return S_OK;
}

HRESULT PageView::GetOrgSize(LONG* x, LONG* y) {
    if (x == nullptr || y == nullptr) {
        return E_POINTER;
    }
    SIZE pixels = HimetricToPixels(m_natural_extent);
    *x = pixels.cx;
    *y = pixels.cy;
    return S_OK;
}

INT_PTR PageView::PageProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        reinterpret_cast<PageView*>(lparam)->m_page = dialog;
    }
    auto* view = reinterpret_cast<PageView*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (view == nullptr) {
        return FALSE;
    }
    if (message == WM_CTLCOLORDLG) {
        return reinterpret_cast<INT_PTR>(view->m_background.get());
    }
    INT_PTR result = FALSE;
    try {
        result = view->OnPageMessage(message, wparam, lparam);
    } catch (...) {
        // A page message runs inside the platform's dispatch; nothing may
        // unwind through it.
        result = FALSE;
    }
    if (message == WM_DESTROY) {
        // The container may destroy its window, and the page with it, before
        // deactivating the view.
        view->m_page = nullptr;
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
    }
    return result;
}

}  // namespace vantrel
