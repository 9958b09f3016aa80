// In-place activation: the container's client site and in-place site give
// the parent window, and the page is created in it from the module's dialog
// template. IOleObject and IOleInPlaceObject.
#include "views/page_view.h"

namespace vantrel {

namespace {

// What a control that is activated when visible and sits inside its
// container's window reports for its content.
constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                              OLEMISC_RECOMPOSEONRESIZE;

}  // namespace

HRESULT PageView::ActivateInPlace(IOleClientSite* site, Activation activation) {
    if (site == nullptr) {
        return E_UNEXPECTED;
    }
    if (m_page == nullptr) {
        ComPtr<IOleInPlaceSite> in_place;
        if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, in_place.PutVoid()))) {
            return E_FAIL;
        }
        if (in_place->CanInPlaceActivate() != S_OK) {
            return E_FAIL;
        }
        HWND parent = nullptr;
        if (FAILED(in_place->GetWindow(&parent)) || parent == nullptr) {
            return E_FAIL;
        }
        in_place->OnInPlaceActivate();
        m_in_place_site = in_place;
        UpdateBackground();
        CreateDialogParamA(ModuleInstance(), MAKEINTRESOURCEA(m_page_template), parent,
                           &PageView::PageProc, reinterpret_cast<LPARAM>(this));
        if (m_page == nullptr) {
            m_in_place_site.Reset();
            in_place->OnInPlaceDeactivate();
            return E_FAIL;
        }
        ShowWindow(m_page, SW_SHOW);
    }
    if (activation == Activation::UserInterface && !m_ui_active) {
        m_ui_active = true;
        m_in_place_site->OnUIActivate();
        if (HWND first = GetNextDlgTabItem(m_page, nullptr, FALSE)) {
            SetFocus(first);
        }
    }
    return S_OK;
}

HRESULT PageView::DoVerb(LONG verb, MSG*, IOleClientSite* active_site, LONG, HWND, LPCRECT) {
    IOleClientSite* site = m_site ? m_site.Get() : active_site;
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_UIACTIVATE:
            return Guarded([&] { return ActivateInPlace(site, Activation::UserInterface); });
        case OLEIVERB_INPLACEACTIVATE:
            return Guarded([&] { return ActivateInPlace(site, Activation::InPlace); });
        case OLEIVERB_HIDE:
            UIDeactivate();
            if (m_page != nullptr) {
                ShowWindow(m_page, SW_HIDE);
            }
            return S_OK;
        default:
            // Positive verbs the object does not know act as the primary verb.
            if (verb > 0) {
                HRESULT hr =
                    Guarded([&] { return ActivateInPlace(site, Activation::UserInterface); });
                return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
            }
            return E_NOTIMPL;
    }
}

HRESULT PageView::UIDeactivate() {
    if (m_ui_active) {
        m_ui_active = false;
        if (m_in_place_site) {
            m_in_place_site->OnUIDeactivate(FALSE);
        }
    }
    return S_OK;
}

HRESULT PageView::InPlaceDeactivate() {
    UIDeactivate();
    if (m_page != nullptr) {
        DestroyWindow(m_page);
        m_page = nullptr;
    }
    if (ComPtr<IOleInPlaceSite> in_place = m_in_place_site) {
        m_in_place_site.Reset();
        in_place->OnInPlaceDeactivate();
    }
    return S_OK;
}

HRESULT PageView::Close(DWORD save_option) {
    InPlaceDeactivate();
    if (m_dirty && save_option == OLECLOSE_SAVEIFDIRTY && m_site) {
        m_site->SaveObject();
    }
    return S_OK;
}

HRESULT PageView::SetClientSite(IOleClientSite* site) {
    ComPtr<IOleClientSite> held = ComPtr<IOleClientSite>::Adopt(site);
    if (site != nullptr) {
        site->AddRef();
    }
    m_site = held;
    return S_OK;
}

HRESULT PageView::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) {
        return E_POINTER;
    }
    *site = m_site.Get();
    if (*site != nullptr) {
        (*site)->AddRef();
    }
    return S_OK;
}

HRESULT PageView::GetWindow(HWND* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    *window = m_page;
    return m_page != nullptr ? S_OK : E_FAIL;
}

HRESULT PageView::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

// The page keeps the size of its template; the container's rectangles do
// not move it on the character grid.
HRESULT PageView::SetObjectRects(LPCRECT position, LPCRECT) {
    return position != nullptr ? S_OK : E_INVALIDARG;
}

HRESULT PageView::ReactivateAndUndo() {
    return E_NOTIMPL;
}

HRESULT PageView::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

HRESULT PageView::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

HRESULT PageView::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker == nullptr) {
        return E_POINTER;
    }
    *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT PageView::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

HRESULT PageView::GetClipboardData(DWORD, IDataObject** data) {
    if (data == nullptr) {
        return E_POINTER;
    }
    *data = nullptr;
    return E_NOTIMPL;
}

// The verbs and the user type are the registry's to tell.
HRESULT PageView::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs == nullptr) {
        return E_POINTER;
    }
    *verbs = nullptr;
    return OLE_S_USEREG;
}

HRESULT PageView::GetUserType(DWORD, LPOLESTR* user_type) {
    if (user_type == nullptr) {
        return E_POINTER;
    }
    *user_type = nullptr;
    return OLE_S_USEREG;
}

HRESULT PageView::Update() {
    return S_OK;
}

HRESULT PageView::IsUpToDate() {
    return S_OK;
}

HRESULT PageView::GetUserClassID(CLSID* clsid) {
    if (clsid == nullptr) {
        return E_POINTER;
    }
    *clsid = Info().identity.clsid;
    return S_OK;
}

HRESULT PageView::SetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (size->cx != m_extent.cx || size->cy != m_extent.cy) {
        m_extent = *size;
        m_dirty = true;
    }
    return S_OK;
}

HRESULT PageView::GetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    *size = m_extent;
    return S_OK;
}

// The frame sends no change notifications: its content changes only in the
// page's own window, which paints itself.
HRESULT PageView::Advise(IAdviseSink*, DWORD* connection) {
    if (connection == nullptr) {
        return E_POINTER;
    }
    *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT PageView::Unadvise(DWORD) {
    return OLE_E_NOCONNECTION;
}

HRESULT PageView::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise == nullptr) {
        return E_POINTER;
    }
    *advise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT PageView::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (status == nullptr) {
        return E_POINTER;
    }
    *status = 0;
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    *status = kMiscStatus;
    return S_OK;
}

HRESULT PageView::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

}  // namespace vantrel
