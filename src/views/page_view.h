// The frame every configuration view is built on: a windowed control whose
// page is a dialog of the module's resources, activated in place in a
// container's window, with the blob codec around the page's fields. A
// provider's view derives from PageView and supplies only its fields and
// its page messages.
#pragma once

#include <platform/ole2.h>
#include <platform/winuser.h>

#include "contract/blob.h"
#include "contract/view.h"
#include "views/gdi_object.h"

namespace vantrel {

class PageView : public View,
                 public IViewObject2,
                 public IOleInPlaceObject,
                 public IOleControl,
                 public IOleObject,
                 public IPersistStreamInit,
                 public ISupportErrorInfo,
                 public IPersistStorage {
public:
    // QueryInterface map: the View's (IUnknown, own interface, IGView,
    // IDispatch), then the control interfaces.
    void* FindInterface(REFIID riid);

    // IGView. GetData: E_FAIL for a null result; otherwise the page's fields
    // as a blob (without a page the hooks read empty controls). SetData works
    // on the controls, so before the page exists it has no effect; always S_OK.
    HRESULT GetData(VARIANT* value) override;
    HRESULT SetData(VARIANT value) override;
    HRESULT GetOrgSize(LONG* x, LONG* y) override;

    // IViewObject, IViewObject2.
    HRESULT Draw(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* target, HDC target_dc,
                 HDC draw_dc, LPCRECTL bounds, LPCRECTL window_bounds,
                 BOOL (*keep_going)(ULONG_PTR), ULONG_PTR keep_going_arg) override;
    HRESULT GetColorSet(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* target,
                        HDC target_dc, LOGPALETTE** colors) override;
    HRESULT Freeze(DWORD aspect, LONG index, void* aspect_info, DWORD* freeze) override;
    HRESULT Unfreeze(DWORD freeze) override;
    HRESULT SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    HRESULT GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    HRESULT GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, LPSIZEL size) override;

    // IOleWindow, IOleInPlaceObject.
    HRESULT GetWindow(HWND* window) override;
    HRESULT ContextSensitiveHelp(BOOL enter_mode) override;
    HRESULT InPlaceDeactivate() override;
    HRESULT UIDeactivate() override;
    HRESULT SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT ReactivateAndUndo() override;

    // IOleControl.
    HRESULT GetControlInfo(CONTROLINFO* info) override;
    HRESULT OnMnemonic(MSG* message) override;
    HRESULT OnAmbientPropertyChange(DISPID id) override;
    HRESULT FreezeEvents(BOOL freeze) override;

    // IOleObject.
    HRESULT SetClientSite(IOleClientSite* site) override;
    HRESULT GetClientSite(IOleClientSite** site) override;
    HRESULT SetHostNames(LPCOLESTR container_app, LPCOLESTR container_object) override;
    HRESULT Close(DWORD save_option) override;
    HRESULT SetMoniker(DWORD which, IMoniker* moniker) override;
    HRESULT GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    HRESULT GetClipboardData(DWORD reserved, IDataObject** data) override;
    HRESULT DoVerb(LONG verb, MSG* message, IOleClientSite* active_site, LONG index, HWND parent,
                   LPCRECT position) override;
    HRESULT EnumVerbs(IEnumOLEVERB** verbs) override;
    HRESULT Update() override;
    HRESULT IsUpToDate() override;
    HRESULT GetUserClassID(CLSID* clsid) override;
    HRESULT GetUserType(DWORD form, LPOLESTR* user_type) override;
    HRESULT SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT Advise(IAdviseSink* sink, DWORD* connection) override;
    HRESULT Unadvise(DWORD connection) override;
    HRESULT EnumAdvise(IEnumSTATDATA** advise) override;
    HRESULT GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT SetColorScheme(LOGPALETTE* palette) override;

    // IPersist, IPersistStreamInit, IPersistStorage: the 12-byte state
    // (version, then the extent in HIMETRIC), in a storage as "Contents".
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT IsDirty() override;
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, BOOL clear_dirty) override;
    HRESULT GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT InitNew() override;
    HRESULT InitNew(IStorage* storage) override;
    HRESULT Load(IStorage* storage) override;
    HRESULT Save(IStorage* storage, BOOL same_as_load) override;
    HRESULT SaveCompleted(IStorage* storage) override;
    HRESULT HandsOffStorage() override;

    // ISupportErrorInfo: the view's own interface only.
    HRESULT InterfaceSupportsErrorInfo(REFIID riid) override;

protected:
    // display_name: UTF-8, static storage; page_template: the RT_DIALOG id
    // of the page among the module's resources.
    PageView(const ClassInfo& info, const char* display_name, WORD page_template);
    ~PageView() override;

    // GetData: append the page's fields in blob order. Also called while
    // there is no page: reading a control of a null page gives empty text.
    virtual void WriteFields(BlobWriter& writer) = 0;
    // SetData: fill the controls from a blob; called only while the page exists.
    virtual void ReadFields(BlobReader& reader) = 0;
    // The page's own dialog messages (WM_INITDIALOG, WM_COMMAND, ...); FALSE =
    // not handled. Page() is already set during WM_INITDIALOG. An exception
    // thrown here is caught by the frame and counts as not handled.
    virtual INT_PTR OnPageMessage(UINT message, WPARAM wparam, LPARAM lparam);

    // The page's window; null while the view is not active in place.
    HWND Page() const { return m_page; }
    WORD PageTemplate() const { return m_page_template; }
    // The module whose resources hold the page (for modal dialogs of a page).
    static HINSTANCE ModuleInstance();

private:
    enum class Activation { InPlace, UserInterface };

    static INT_PTR PageProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
    HRESULT ActivateInPlace(IOleClientSite* site, Activation activation);
    void UpdateBackground();
    IOleClientSite* SiteOrNull() const { return m_site.Get(); }

    WORD m_page_template;
    HWND m_page = nullptr;
    SIZEL m_natural_extent{};
    SIZEL m_extent{};
    bool m_dirty = false;
    bool m_ui_active = false;
    LONG m_freeze_count = 0;
    ComPtr<IOleClientSite> m_site;
    ComPtr<IOleInPlaceSite> m_in_place_site;
    GdiObject m_background;
};

}  // namespace vantrel
