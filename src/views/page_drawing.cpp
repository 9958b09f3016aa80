// What the container sees of the view besides its page: drawing while not
// active in place, the extent, and the ambient background colour that the
// page's own background is painted with. IViewObject2 and IOleControl.
#include "views/page_view.h"

namespace vantrel {

namespace {

// The container's ambient background colour, read through its IDispatch;
// the button-face colour when it has none.
OLE_COLOR AmbientBackColor(IOleClientSite* site) {
    constexpr OLE_COLOR kButtonFace = 0x80000000u | COLOR_BTNFACE;
    ComPtr<IDispatch> ambient;
    if (site == nullptr || FAILED(site->QueryInterface(IID_IDispatch, ambient.PutVoid()))) {
        return kButtonFace;
    }
    DISPPARAMS no_arguments{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = ambient->Invoke(DISPID_AMBIENT_BACKCOLOR, IID_NULL, LOCALE_USER_DEFAULT,
                                 DISPATCH_PROPERTYGET, &no_arguments, &result, nullptr, nullptr);
    OLE_COLOR color = kButtonFace;
    if (SUCCEEDED(hr) && (result.vt == VT_I4 || result.vt == VT_UI4)) {
        color = result.ulVal;
    }
    VariantClear(&result);
    return color;
}

}  // namespace

void PageView::UpdateBackground() {
    COLORREF rgb = 0;
    if (FAILED(OleTranslateColor(AmbientBackColor(SiteOrNull()), nullptr, &rgb))) {
        rgb = GetSysColor(COLOR_BTNFACE);
    }
    m_background.reset(CreateSolidBrush(rgb));
}

HRESULT PageView::OnAmbientPropertyChange(DISPID id) {
    // DISPID_UNKNOWN: several ambient properties changed at once.
    if (id == DISPID_AMBIENT_BACKCOLOR || id == DISPID_UNKNOWN) {
        UpdateBackground();
        if (m_page != nullptr) {
            InvalidateRect(m_page, nullptr, TRUE);
        }
    }
    return S_OK;
}

HRESULT PageView::GetControlInfo(CONTROLINFO* info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    // No mnemonics of the control's own: the page's controls handle theirs.
    return E_NOTIMPL;
}

HRESULT PageView::OnMnemonic(MSG*) {
    return E_NOTIMPL;
}

HRESULT PageView::FreezeEvents(BOOL freeze) {
    m_freeze_count += freeze ? 1 : -1;
    return S_OK;
}

// While active in place the page paints itself; otherwise (a container in
// design mode, a print preview) the view shows its bounds and its kind.
HRESULT PageView::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC draw_dc,
                       LPCRECTL bounds, LPCRECTL, BOOL (*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (draw_dc == nullptr || bounds == nullptr) {
        return E_INVALIDARG;
    }
    if (m_page != nullptr) {
        return S_OK;
    }
    RECT box{bounds->left, bounds->top, bounds->right, bounds->bottom};
    SelectedObject pen(draw_dc, GetStockObject(BLACK_PEN));
    SelectedObject brush(draw_dc, GetStockObject(GRAY_BRUSH));
    Rectangle(draw_dc, box.left, box.top, box.right, box.bottom);
    SetTextColor(draw_dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(draw_dc, TRANSPARENT);
    DrawTextA(draw_dc, "ATL Composite Control", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return S_OK;
}

HRESULT PageView::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colors) {
    if (colors == nullptr) {
        return E_POINTER;
    }
    *colors = nullptr;
    // No palette of its own.
    return S_FALSE;
}

HRESULT PageView::Freeze(DWORD, LONG, void*, DWORD* freeze) {
    if (freeze == nullptr) {
        return E_POINTER;
    }
    *freeze = 0;
    return E_NOTIMPL;
}

HRESULT PageView::Unfreeze(DWORD) {
    return E_NOTIMPL;
}

HRESULT PageView::SetAdvise(DWORD, DWORD, IAdviseSink*) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT PageView::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects != nullptr) {
        *aspects = 0;
    }
    if (flags != nullptr) {
        *flags = 0;
    }
    if (sink != nullptr) {
        *sink = nullptr;
    }
    return S_OK;
}

HRESULT PageView::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

}  // namespace vantrel
