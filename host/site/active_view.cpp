#include "host/site/active_view.h"

#include <string>
#include <utility>

namespace host {

namespace {

// ProgIDs are ASCII.
std::u16string WidenAscii(const char* text) {
    std::u16string wide;
    for (; *text != '\0'; ++text) {
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(*text)));
    }
    return wide;
}

}  // namespace

ActiveView& ActiveView::operator=(ActiveView&& other) noexcept {
    if (this != &other) {
        Close();
        m_site = std::move(other.m_site);
        m_view = std::move(other.m_view);
        m_object = std::move(other.m_object);
    }
    return *this;
}

HRESULT ActiveView::Activate(IUnknown* view, ActiveView* result) {
    if (view == nullptr || result == nullptr) {
        return E_POINTER;
    }
    result->Close();
    ActiveView active;
    HRESULT hr = view->QueryInterface(IID_IGView, active.m_view.Put());
    if (SUCCEEDED(hr)) {
        hr = view->QueryInterface(IID_IOleObject, active.m_object.Put());
    }
    if (FAILED(hr)) {
        return hr;
    }
    LONG width = 0;
    LONG height = 0;
    active.m_view->GetOrgSize(&width, &height);
    HWND window = CreateWindowExA(0, "#32770", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                  nullptr, nullptr, nullptr, nullptr);
    if (window == nullptr) {
        return E_FAIL;
    }
    ViewSite* site = ViewSite::Create(window);
    if (site == nullptr) {
        DestroyWindow(window);
        return E_OUTOFMEMORY;
    }
    active.m_site = ComRef<ViewSite>::Adopt(site);
    hr = active.m_object->SetClientSite(site);
    if (SUCCEEDED(hr)) {
        RECT client{};
        GetClientRect(window, &client);
        hr = active.m_object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site, 0, window, &client);
    }
    if (FAILED(hr)) {
        return hr;
    }
    *result = std::move(active);
    return S_OK;
}

HRESULT ActiveView::ActivateByProgId(const char* prog_id, ActiveView* result) {
    if (prog_id == nullptr || result == nullptr) {
        return E_POINTER;
    }
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(WidenAscii(prog_id).c_str(), &clsid);
    if (FAILED(hr)) {
        return hr;
    }
    ComRef<IUnknown> view;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, view.Put());
    if (FAILED(hr)) {
        return hr;
    }
    return Activate(view.Get(), result);
}

HWND ActiveView::Page() const {
    ComRef<IOleInPlaceObject> in_place;
    HWND page = nullptr;
    if (m_object && SUCCEEDED(m_object->QueryInterface(IID_IOleInPlaceObject, in_place.Put()))) {
        in_place->GetWindow(&page);
    }
    return page;
}

void ActiveView::SetBackColor(OLE_COLOR color) {
    if (!m_site) {
        return;
    }
    m_site->SetBackColor(color);
    ComRef<IOleControl> control;
    if (m_object && SUCCEEDED(m_object->QueryInterface(IID_IOleControl, control.Put()))) {
        control->OnAmbientPropertyChange(DISPID_AMBIENT_BACKCOLOR);
    }
}

void ActiveView::Close() {
    if (m_object) {
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
    }
    m_object.Reset();
    m_view.Reset();
    m_site.Reset();
}

}  // namespace host
