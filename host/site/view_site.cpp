#include "host/site/view_site.h"

#include <new>

namespace host {

ViewSite* ViewSite::Create(HWND window) {
    auto* site = new (std::nothrow) ViewSite(window);
    if (site != nullptr) {
        site->AddRef();
    }
    return site;
}

ViewSite::~ViewSite() {
    if (m_window != nullptr) {
        DestroyWindow(m_window);
    }
}

HRESULT ViewSite::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, IID_IOleClientSite)) {
        *ppv = static_cast<IOleClientSite*>(this);
    } else if (IsEqualGUID(riid, IID_IOleInPlaceSite) || IsEqualGUID(riid, IID_IOleWindow)) {
        *ppv = static_cast<IOleInPlaceSite*>(this);
    } else if (IsEqualGUID(riid, IID_IDispatch)) {
        *ppv = static_cast<IDispatch*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG ViewSite::AddRef() {
    return ++m_refs;
}

ULONG ViewSite::Release() {
    ULONG left = --m_refs;
    if (left == 0) {
        delete this;
    }
    return left;
}

// The host keeps settings as blobs, not in a document: there is nothing to
// save, name or link to.
HRESULT ViewSite::SaveObject() {
    return S_OK;
}

HRESULT ViewSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker == nullptr) {
        return E_POINTER;
    }
    *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT ViewSite::GetContainer(IOleContainer** container) {
    if (container == nullptr) {
        return E_POINTER;
    }
    *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT ViewSite::ShowObject() {
    return S_OK;
}

HRESULT ViewSite::OnShowWindow(BOOL) {
    return S_OK;
}

HRESULT ViewSite::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

HRESULT ViewSite::GetWindow(HWND* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    *window = m_window;
    return m_window != nullptr ? S_OK : E_FAIL;
}

HRESULT ViewSite::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

HRESULT ViewSite::CanInPlaceActivate() {
    return m_window != nullptr ? S_OK : S_FALSE;
}

HRESULT ViewSite::OnInPlaceActivate() {
    m_in_place_active = true;
    return S_OK;
}

HRESULT ViewSite::OnUIActivate() {
    m_ui_active = true;
    return S_OK;
}

// The stand-in has no frame or document windows with menus and toolbars to
// share: both come back null, and the view takes the whole client area.
HRESULT ViewSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                   LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frame_info) {
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr) {
        return E_POINTER;
    }
    *frame = nullptr;
    *document = nullptr;
    RECT client{};
    GetClientRect(m_window, &client);
    *position = client;
    *clip = client;
    if (frame_info != nullptr) {
        frame_info->fMDIApp = FALSE;
        frame_info->hwndFrame = m_window;
        frame_info->haccel = nullptr;
        frame_info->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT ViewSite::Scroll(SIZE) {
    return E_NOTIMPL;
}

HRESULT ViewSite::OnUIDeactivate(BOOL) {
    m_ui_active = false;
    return S_OK;
}

HRESULT ViewSite::OnInPlaceDeactivate() {
    m_in_place_active = false;
    return S_OK;
}

HRESULT ViewSite::DiscardUndoState() {
    return S_OK;
}

HRESULT ViewSite::DeactivateAndUndo() {
    return S_OK;
}

HRESULT ViewSite::OnPosRectChange(LPCRECT position) {
    return position != nullptr ? S_OK : E_INVALIDARG;
}

HRESULT ViewSite::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT ViewSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    return DISP_E_BADINDEX;
}

// Ambient properties are asked for by DISPID only.
HRESULT ViewSite::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (names == nullptr || ids == nullptr) {
        return E_POINTER;
    }
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT ViewSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                         EXCEPINFO*, UINT*) {
    if ((flags & DISPATCH_PROPERTYGET) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (result == nullptr) {
        return E_POINTER;
    }
    VariantInit(result);
    switch (id) {
        case DISPID_AMBIENT_BACKCOLOR:
            result->vt = VT_I4;
            result->lVal = static_cast<LONG>(m_back_color);
            return S_OK;
        case DISPID_AMBIENT_USERMODE:
            // A running host, never a designer.
            result->vt = VT_BOOL;
            result->boolVal = VARIANT_TRUE;
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace host
