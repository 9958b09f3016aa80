/*
 * Vantrel: dynamic-DNS update providers as in-process components.
 *
 * A host creates a provider's view (IGView) to let the user edit settings
 * and gets a settings blob back; for each address change it creates the
 * provider's updater (IIPUpdate), hands it the blob, optionally a proxy
 * ("host:port") and the new IPv4 address, calls DoEntryPoint and reads the
 * status and the message. Classes are found by ProgID, "Vantrel.<Class>",
 * through the registry (see CLSIDFromProgID in <platform/com.h>).
 *
 * Usable from C and C++.
 */
#ifndef VANTREL_VANTREL_H
#define VANTREL_VANTREL_H

#include <platform/com.h>

/* Provider IDs: a view and its updater answer the same one. */
enum VantrelProviderId {
    VANTREL_ID_DYNAM = 14,
    VANTREL_ID_DYNUP = 15,
    VANTREL_ID_DNSEXIT = 16,
    VANTREL_ID_EURODYNDNS = 17,
    VANTREL_ID_WIN2000 = 18,
    VANTREL_ID_LINUXRC = 19,
    VANTREL_ID_GENGNUDIP = 20,
    VANTREL_ID_DIPDNS = 21,
    VANTREL_ID_DYFI = 22
};

/* Status codes of IIPUpdate::GetErrorStatus. */
enum VantrelStatus {
    VANTREL_STATUS_NO_OUTCOME = 1, /* also the state before any update */
    VANTREL_STATUS_ACCEPTED = 2,
    VANTREL_STATUS_NOT_DONE = 3,
    VANTREL_STATUS_SERVICE_ERROR = 4
};

/* DISPIDs of both interfaces run 1 to 7 in slot order. */
enum VantrelDispId {
    VANTREL_DISPID_GETDISPLAYNAME = 1,
    VANTREL_DISPID_NEEDCONFIGURATION = 2,
    VANTREL_DISPID_VIEW_GETID = 3,
    VANTREL_DISPID_GETDATA = 4,
    VANTREL_DISPID_VIEW_SETDATA = 5,
    VANTREL_DISPID_GETTIMEINTERVAL = 6,
    VANTREL_DISPID_GETORGSIZE = 7,
    VANTREL_DISPID_UPDATE_GETID = 1,
    VANTREL_DISPID_GETERRORMESSAGE = 2,
    VANTREL_DISPID_GETERRORSTATUS = 3,
    VANTREL_DISPID_SETPROXY = 4,
    VANTREL_DISPID_UPDATE_SETDATA = 5,
    VANTREL_DISPID_DOENTRYPOINT = 6,
    VANTREL_DISPID_INITDATA = 7
};

VT_BEGIN_C
/* {9E89B691-A2FC-47E8-BBBE-F3A1D0A03580} */
static const IID IID_IIPUpdate = {
    0x9e89b691, 0xa2fc, 0x47e8, {0xbb, 0xbe, 0xf3, 0xa1, 0xd0, 0xa0, 0x35, 0x80}};
/* {C4026AA8-EFC2-4EAE-AC3F-3D7F2641FF03} */
static const IID IID_IGView = {
    0xc4026aa8, 0xefc2, 0x4eae, {0xac, 0x3f, 0x3d, 0x7f, 0x26, 0x41, 0xff, 0x03}};
/* {C5F11FC7-CA2C-4F69-8D8A-60B1A51F6FD1} */
static const GUID LIBID_VantrelLib = {
    0xc5f11fc7, 0xca2c, 0x4f69, {0x8d, 0x8a, 0x60, 0xb1, 0xa5, 0x1f, 0x6f, 0xd1}};
VT_END_C

#ifdef __cplusplus

struct IIPUpdate : IDispatch {
    virtual HRESULT GetID(LONG* value) = 0;
    virtual HRESULT GetErrorMessage(BSTR* value) = 0;
    virtual HRESULT GetErrorStatus(SHORT* value) = 0;
    virtual HRESULT SetProxy(BSTR proxy) = 0;
    virtual HRESULT SetData(VARIANT value) = 0;
    virtual HRESULT DoEntryPoint(BSTR ip_address) = 0;
    virtual HRESULT InitData() = 0;
};

struct IGView : IDispatch {
    virtual HRESULT GetDisplayName(BSTR* value) = 0;
    virtual HRESULT NeedConfiguration(SHORT* value) = 0;
    virtual HRESULT GetID(LONG* value) = 0;
    virtual HRESULT GetData(VARIANT* value) = 0;
    virtual HRESULT SetData(VARIANT value) = 0;
    virtual HRESULT GetTimeInterval(LONG* value) = 0;
    virtual HRESULT GetOrgSize(LONG* x, LONG* y) = 0;
};

#else /* C */

typedef struct IIPUpdate IIPUpdate;
typedef struct IGView IGView;

typedef struct IIPUpdateVtbl {
    VT_IDISPATCH_SLOTS(IIPUpdate)
    HRESULT (*GetID)(IIPUpdate* This, LONG* value);
    HRESULT (*GetErrorMessage)(IIPUpdate* This, BSTR* value);
    HRESULT (*GetErrorStatus)(IIPUpdate* This, SHORT* value);
    HRESULT (*SetProxy)(IIPUpdate* This, BSTR proxy);
    HRESULT (*SetData)(IIPUpdate* This, VARIANT value);
    HRESULT (*DoEntryPoint)(IIPUpdate* This, BSTR ip_address);
    HRESULT (*InitData)(IIPUpdate* This);
} IIPUpdateVtbl;
struct IIPUpdate {
    const IIPUpdateVtbl* lpVtbl;
};

typedef struct IGViewVtbl {
    VT_IDISPATCH_SLOTS(IGView)
    HRESULT (*GetDisplayName)(IGView* This, BSTR* value);
    HRESULT (*NeedConfiguration)(IGView* This, SHORT* value);
    HRESULT (*GetID)(IGView* This, LONG* value);
    HRESULT (*GetData)(IGView* This, VARIANT* value);
    HRESULT (*SetData)(IGView* This, VARIANT value);
    HRESULT (*GetTimeInterval)(IGView* This, LONG* value);
    HRESULT (*GetOrgSize)(IGView* This, LONG* x, LONG* y);
} IGViewVtbl;
struct IGView {
    const IGViewVtbl* lpVtbl;
};

#endif /* __cplusplus */

/* The four exports of the module. */
VT_BEGIN_C
typedef HRESULT (*VantrelDllGetClassObjectFn)(REFCLSID clsid, REFIID riid, void** ppv);
typedef HRESULT (*VantrelDllCanUnloadNowFn)(void);
typedef HRESULT (*VantrelDllRegisterServerFn)(void);
typedef HRESULT (*VantrelDllUnregisterServerFn)(void);
VT_END_C

#endif /* VANTREL_VANTREL_H */
