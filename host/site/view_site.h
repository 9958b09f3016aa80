// The host's in-place container for one view: a client site with an
// in-place site on a top-level window of its own, and the ambient
// properties the view reads through the site's IDispatch.
#pragma once

#include <platform/ole2.h>

#include <atomic>

namespace host {

class ViewSite final : public IOleClientSite, public IOleInPlaceSite, public IDispatch {
public:
    // The site holds no reference to the view, so the view may hold one to
    // the site. The window is destroyed with the last reference.
    static ViewSite* Create(HWND window);

    HWND Window() const { return m_window; }
    bool InPlaceActive() const { return m_in_place_active; }
    bool UiActive() const { return m_ui_active; }
    // The ambient background colour (an OLE_COLOR; a system colour by default).
    void SetBackColor(OLE_COLOR color) { m_back_color = color; }

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IOleClientSite.
    HRESULT SaveObject() override;
    HRESULT GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT GetContainer(IOleContainer** container) override;
    HRESULT ShowObject() override;
    HRESULT OnShowWindow(BOOL show) override;
    HRESULT RequestNewObjectLayout() override;

    // IOleWindow, IOleInPlaceSite.
    HRESULT GetWindow(HWND* window) override;
    HRESULT ContextSensitiveHelp(BOOL enter_mode) override;
    HRESULT CanInPlaceActivate() override;
    HRESULT OnInPlaceActivate() override;
    HRESULT OnUIActivate() override;
    HRESULT GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                             LPRECT position, LPRECT clip,
                             LPOLEINPLACEFRAMEINFO frame_info) override;
    HRESULT Scroll(SIZE extent) override;
    HRESULT OnUIDeactivate(BOOL undoable) override;
    HRESULT OnInPlaceDeactivate() override;
    HRESULT DiscardUndoState() override;
    HRESULT DeactivateAndUndo() override;
    HRESULT OnPosRectChange(LPCRECT position) override;

    // IDispatch: the ambient properties, read as property gets.
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excep, UINT* arg_err) override;

private:
    explicit ViewSite(HWND window) : m_window(window) {}
    ~ViewSite();

    std::atomic<ULONG> m_refs{0};
    HWND m_window;
    OLE_COLOR m_back_color = 0x80000000u | COLOR_BTNFACE;
    bool m_in_place_active = false;
    bool m_ui_active = false;
};

}  // namespace host
