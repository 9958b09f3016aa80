/*
 * OLE subset of the stand-in platform: what an in-place container and a
 * windowed control need from each other (client site, in-place site and
 * object, view object, persistence, control and error-info interfaces) and
 * the structured-storage interfaces they persist through, with a memory
 * stream and a memory storage. Declared the way Windows declares them, in
 * vtable slot order; usable from C and C++ like platform/com.h.
 *
 * Interfaces that these only pass through (monikers, data objects, advise
 * sinks, enumerators, frames) are opaque here: nothing in the stand-in
 * implements them, so their pointers are always null.
 */
#ifndef PLATFORM_OLE2_H
#define PLATFORM_OLE2_H

#include <platform/com.h>
#include <platform/winuser.h>

typedef struct tagRECTL {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECTL, *LPRECTL;
typedef const RECTL* LPCRECTL;
typedef SIZE SIZEL, *LPSIZEL;

typedef union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    };
    int64_t QuadPart;
} LARGE_INTEGER;
typedef union ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    };
    uint64_t QuadPart;
} ULARGE_INTEGER;

typedef struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME;

typedef struct tagSTATSTG {
    LPOLESTR pwcsName; /* CoTaskMemAlloc'd unless STATFLAG_NONAME */
    DWORD type;
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
} STATSTG;

typedef LPOLESTR* SNB;
typedef void* HACCEL;

typedef struct tagOIFI {
    UINT cb;
    BOOL fMDIApp;
    HWND hwndFrame;
    HACCEL haccel;
    UINT cAccelEntries;
} OLEINPLACEFRAMEINFO, *LPOLEINPLACEFRAMEINFO;

typedef struct tagCONTROLINFO {
    ULONG cb;
    HACCEL hAccel;
    USHORT cAccel;
    DWORD dwFlags;
} CONTROLINFO;

typedef struct tagDVTARGETDEVICE DVTARGETDEVICE;
typedef struct tagLOGPALETTE LOGPALETTE;

#ifdef __cplusplus
struct IMoniker;
struct IDataObject;
struct IAdviseSink;
struct IEnumOLEVERB;
struct IEnumSTATDATA;
struct IEnumSTATSTG;
struct IOleContainer;
struct IOleInPlaceFrame;
struct IOleInPlaceUIWindow;
#else
typedef struct IMoniker IMoniker;
typedef struct IDataObject IDataObject;
typedef struct IAdviseSink IAdviseSink;
typedef struct IEnumOLEVERB IEnumOLEVERB;
typedef struct IEnumSTATDATA IEnumSTATDATA;
typedef struct IEnumSTATSTG IEnumSTATSTG;
typedef struct IOleContainer IOleContainer;
typedef struct IOleInPlaceFrame IOleInPlaceFrame;
typedef struct IOleInPlaceUIWindow IOleInPlaceUIWindow;
#endif

/* Verbs. */
#define OLEIVERB_PRIMARY (0L)
#define OLEIVERB_SHOW (-1L)
#define OLEIVERB_OPEN (-2L)
#define OLEIVERB_HIDE (-3L)
#define OLEIVERB_UIACTIVATE (-4L)
#define OLEIVERB_INPLACEACTIVATE (-5L)
#define OLEIVERB_DISCARDUNDOSTATE (-6L)

#define OLECLOSE_SAVEIFDIRTY 0
#define OLECLOSE_NOSAVE 1
#define OLECLOSE_PROMPTSAVE 2

#define DVASPECT_CONTENT 1

#define OLEMISC_RECOMPOSEONRESIZE 0x00000001
#define OLEMISC_CANTLINKINSIDE 0x00000010
#define OLEMISC_INSIDEOUT 0x00000080
#define OLEMISC_ACTIVATEWHENVISIBLE 0x00000100
#define OLEMISC_SETCLIENTSITEFIRST 0x00020000

#define USERCLASSTYPE_FULL 1
#define OLEWHICHMK_CONTAINER 1

/* Ambient properties, read through the client site's IDispatch. */
#define DISPID_AMBIENT_BACKCOLOR (-701)
#define DISPID_AMBIENT_FORECOLOR (-704)
#define DISPID_AMBIENT_USERMODE (-709)

/* Storage modes and flags. */
#define STGM_READ 0x00000000L
#define STGM_WRITE 0x00000001L
#define STGM_READWRITE 0x00000002L
#define STGM_SHARE_EXCLUSIVE 0x00000010L
#define STGM_CREATE 0x00001000L
#define STGM_DELETEONRELEASE 0x04000000L
#define STGTY_STORAGE 1
#define STGTY_STREAM 2
#define STATFLAG_DEFAULT 0
#define STATFLAG_NONAME 1
#define STREAM_SEEK_SET 0
#define STREAM_SEEK_CUR 1
#define STREAM_SEEK_END 2

#define OLE_S_USEREG ((HRESULT)0x00040000)
#define OLEOBJ_S_INVALIDVERB ((HRESULT)0x00040180)
#define OLE_E_ADVISENOTSUPPORTED ((HRESULT)0x80040003)
#define OLE_E_NOT_INPLACEACTIVE ((HRESULT)0x80040010)
#define DV_E_DVASPECT ((HRESULT)0x8004006B)
#define STG_E_INVALIDFUNCTION ((HRESULT)0x80030001)
#define STG_E_ACCESSDENIED ((HRESULT)0x80030005)
#define STG_E_INVALIDPOINTER ((HRESULT)0x80030009)
#define STG_E_FILEALREADYEXISTS ((HRESULT)0x80030050)
#define STG_E_INVALIDPARAMETER ((HRESULT)0x80030057)
#define STG_E_INVALIDNAME ((HRESULT)0x800300FC)
#define STG_E_INVALIDFLAG ((HRESULT)0x800300FF)

VT_BEGIN_C
VT_PLATFORM_API extern const IID IID_IOleObject;
VT_PLATFORM_API extern const IID IID_IOleClientSite;
VT_PLATFORM_API extern const IID IID_IOleWindow;
VT_PLATFORM_API extern const IID IID_IOleInPlaceSite;
VT_PLATFORM_API extern const IID IID_IOleInPlaceObject;
VT_PLATFORM_API extern const IID IID_IViewObject;
VT_PLATFORM_API extern const IID IID_IViewObject2;
VT_PLATFORM_API extern const IID IID_IPersist;
VT_PLATFORM_API extern const IID IID_IPersistStreamInit;
VT_PLATFORM_API extern const IID IID_IPersistStorage;
VT_PLATFORM_API extern const IID IID_ISequentialStream;
VT_PLATFORM_API extern const IID IID_IStream;
VT_PLATFORM_API extern const IID IID_IStorage;
VT_PLATFORM_API extern const IID IID_ISupportErrorInfo;
VT_PLATFORM_API extern const IID IID_IOleControl;
VT_END_C

#ifdef __cplusplus

struct ISequentialStream : IUnknown {
    virtual HRESULT Read(void* buffer, ULONG count, ULONG* read) = 0;
    virtual HRESULT Write(const void* buffer, ULONG count, ULONG* written) = 0;
};

struct IStream : ISequentialStream {
    virtual HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) = 0;
    virtual HRESULT SetSize(ULARGE_INTEGER size) = 0;
    virtual HRESULT CopyTo(IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                           ULARGE_INTEGER* written) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) = 0;
    virtual HRESULT UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type) = 0;
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
    virtual HRESULT Clone(IStream** copy) = 0;
};

struct IStorage : IUnknown {
    virtual HRESULT CreateStream(LPCOLESTR name, DWORD mode, DWORD reserved1, DWORD reserved2,
                                 IStream** stream) = 0;
    virtual HRESULT OpenStream(LPCOLESTR name, void* reserved1, DWORD mode, DWORD reserved2,
                               IStream** stream) = 0;
    virtual HRESULT CreateStorage(LPCOLESTR name, DWORD mode, DWORD reserved1, DWORD reserved2,
                                  IStorage** storage) = 0;
    virtual HRESULT OpenStorage(LPCOLESTR name, IStorage* priority, DWORD mode, SNB exclude,
                                DWORD reserved, IStorage** storage) = 0;
    virtual HRESULT CopyTo(DWORD exclude_count, const IID* exclude_iids, SNB exclude_names,
                           IStorage* target) = 0;
    virtual HRESULT MoveElementTo(LPCOLESTR name, IStorage* target, LPCOLESTR new_name,
                                  DWORD flags) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    virtual HRESULT Revert() = 0;
    virtual HRESULT EnumElements(DWORD reserved1, void* reserved2, DWORD reserved3,
                                 IEnumSTATSTG** elements) = 0;
    virtual HRESULT DestroyElement(LPCOLESTR name) = 0;
    virtual HRESULT RenameElement(LPCOLESTR old_name, LPCOLESTR new_name) = 0;
    virtual HRESULT SetElementTimes(LPCOLESTR name, const FILETIME* created,
                                    const FILETIME* accessed, const FILETIME* modified) = 0;
    virtual HRESULT SetClass(REFCLSID clsid) = 0;
    virtual HRESULT SetStateBits(DWORD bits, DWORD mask) = 0;
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
};

struct IPersist : IUnknown {
    virtual HRESULT GetClassID(CLSID* clsid) = 0;
};

struct IPersistStreamInit : IPersist {
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(IStream* stream) = 0;
    virtual HRESULT Save(IStream* stream, BOOL clear_dirty) = 0;
    virtual HRESULT GetSizeMax(ULARGE_INTEGER* size) = 0;
    virtual HRESULT InitNew() = 0;
};

struct IPersistStorage : IPersist {
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT InitNew(IStorage* storage) = 0;
    virtual HRESULT Load(IStorage* storage) = 0;
    virtual HRESULT Save(IStorage* storage, BOOL same_as_load) = 0;
    virtual HRESULT SaveCompleted(IStorage* storage) = 0;
    virtual HRESULT HandsOffStorage() = 0;
};

struct IOleClientSite : IUnknown {
    virtual HRESULT SaveObject() = 0;
    virtual HRESULT GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) = 0;
    virtual HRESULT GetContainer(IOleContainer** container) = 0;
    virtual HRESULT ShowObject() = 0;
    virtual HRESULT OnShowWindow(BOOL show) = 0;
    virtual HRESULT RequestNewObjectLayout() = 0;
};

struct IOleObject : IUnknown {
    virtual HRESULT SetClientSite(IOleClientSite* site) = 0;
    virtual HRESULT GetClientSite(IOleClientSite** site) = 0;
    virtual HRESULT SetHostNames(LPCOLESTR container_app, LPCOLESTR container_object) = 0;
    virtual HRESULT Close(DWORD save_option) = 0;
    virtual HRESULT SetMoniker(DWORD which, IMoniker* moniker) = 0;
    virtual HRESULT GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) = 0;
    virtual HRESULT InitFromData(IDataObject* data, BOOL creation, DWORD reserved) = 0;
    virtual HRESULT GetClipboardData(DWORD reserved, IDataObject** data) = 0;
    virtual HRESULT DoVerb(LONG verb, MSG* message, IOleClientSite* active_site, LONG index,
                           HWND parent, LPCRECT position) = 0;
    virtual HRESULT EnumVerbs(IEnumOLEVERB** verbs) = 0;
    virtual HRESULT Update() = 0;
    virtual HRESULT IsUpToDate() = 0;
    virtual HRESULT GetUserClassID(CLSID* clsid) = 0;
    virtual HRESULT GetUserType(DWORD form, LPOLESTR* user_type) = 0;
    virtual HRESULT SetExtent(DWORD aspect, SIZEL* size) = 0;
    virtual HRESULT GetExtent(DWORD aspect, SIZEL* size) = 0;
    virtual HRESULT Advise(IAdviseSink* sink, DWORD* connection) = 0;
    virtual HRESULT Unadvise(DWORD connection) = 0;
    virtual HRESULT EnumAdvise(IEnumSTATDATA** advise) = 0;
    virtual HRESULT GetMiscStatus(DWORD aspect, DWORD* status) = 0;
    virtual HRESULT SetColorScheme(LOGPALETTE* palette) = 0;
};

struct IOleWindow : IUnknown {
    virtual HRESULT GetWindow(HWND* window) = 0;
    virtual HRESULT ContextSensitiveHelp(BOOL enter_mode) = 0;
};

struct IOleInPlaceObject : IOleWindow {
    virtual HRESULT InPlaceDeactivate() = 0;
    virtual HRESULT UIDeactivate() = 0;
    virtual HRESULT SetObjectRects(LPCRECT position, LPCRECT clip) = 0;
    virtual HRESULT ReactivateAndUndo() = 0;
};

struct IOleInPlaceSite : IOleWindow {
    virtual HRESULT CanInPlaceActivate() = 0;
    virtual HRESULT OnInPlaceActivate() = 0;
    virtual HRESULT OnUIActivate() = 0;
    virtual HRESULT GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                     LPRECT position, LPRECT clip,
                                     LPOLEINPLACEFRAMEINFO frame_info) = 0;
    virtual HRESULT Scroll(SIZE extent) = 0;
    virtual HRESULT OnUIDeactivate(BOOL undoable) = 0;
    virtual HRESULT OnInPlaceDeactivate() = 0;
    virtual HRESULT DiscardUndoState() = 0;
    virtual HRESULT DeactivateAndUndo() = 0;
    virtual HRESULT OnPosRectChange(LPCRECT position) = 0;
};

struct IViewObject : IUnknown {
    virtual HRESULT Draw(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* target,
                         HDC target_dc, HDC draw_dc, LPCRECTL bounds, LPCRECTL window_bounds,
                         BOOL (*keep_going)(ULONG_PTR), ULONG_PTR keep_going_arg) = 0;
    virtual HRESULT GetColorSet(DWORD aspect, LONG index, void* aspect_info,
                                DVTARGETDEVICE* target, HDC target_dc, LOGPALETTE** colors) = 0;
    virtual HRESULT Freeze(DWORD aspect, LONG index, void* aspect_info, DWORD* freeze) = 0;
    virtual HRESULT Unfreeze(DWORD freeze) = 0;
    virtual HRESULT SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) = 0;
    virtual HRESULT GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) = 0;
};

struct IViewObject2 : IViewObject {
    virtual HRESULT GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, LPSIZEL size) = 0;
};

struct ISupportErrorInfo : IUnknown {
    virtual HRESULT InterfaceSupportsErrorInfo(REFIID riid) = 0;
};

struct IOleControl : IUnknown {
    virtual HRESULT GetControlInfo(CONTROLINFO* info) = 0;
    virtual HRESULT OnMnemonic(MSG* message) = 0;
    virtual HRESULT OnAmbientPropertyChange(DISPID id) = 0;
    virtual HRESULT FreezeEvents(BOOL freeze) = 0;
};

#else /* C */

typedef struct ISequentialStream ISequentialStream;
typedef struct IStream IStream;
typedef struct IStorage IStorage;
typedef struct IPersist IPersist;
typedef struct IPersistStreamInit IPersistStreamInit;
typedef struct IPersistStorage IPersistStorage;
typedef struct IOleClientSite IOleClientSite;
typedef struct IOleObject IOleObject;
typedef struct IOleWindow IOleWindow;
typedef struct IOleInPlaceObject IOleInPlaceObject;
typedef struct IOleInPlaceSite IOleInPlaceSite;
typedef struct IViewObject IViewObject;
typedef struct IViewObject2 IViewObject2;
typedef struct ISupportErrorInfo ISupportErrorInfo;
typedef struct IOleControl IOleControl;

#define VT_IUNKNOWN_SLOTS(This_t)                                     \
    HRESULT (*QueryInterface)(This_t * This, REFIID riid, void** ppv); \
    ULONG (*AddRef)(This_t * This);                                    \
    ULONG (*Release)(This_t * This);

#define VT_ISEQUENTIALSTREAM_SLOTS(This_t)                                             \
    VT_IUNKNOWN_SLOTS(This_t)                                                          \
    HRESULT (*Read)(This_t * This, void* buffer, ULONG count, ULONG* read);            \
    HRESULT (*Write)(This_t * This, const void* buffer, ULONG count, ULONG* written);

typedef struct ISequentialStreamVtbl {
    VT_ISEQUENTIALSTREAM_SLOTS(ISequentialStream)
} ISequentialStreamVtbl;
struct ISequentialStream {
    const ISequentialStreamVtbl* lpVtbl;
};

typedef struct IStreamVtbl {
    VT_ISEQUENTIALSTREAM_SLOTS(IStream)
    HRESULT (*Seek)(IStream* This, LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position);
    HRESULT (*SetSize)(IStream* This, ULARGE_INTEGER size);
    HRESULT (*CopyTo)(IStream* This, IStream* target, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                      ULARGE_INTEGER* written);
    HRESULT (*Commit)(IStream* This, DWORD flags);
    HRESULT (*Revert)(IStream* This);
    HRESULT (*LockRegion)(IStream* This, ULARGE_INTEGER offset, ULARGE_INTEGER count, DWORD type);
    HRESULT (*UnlockRegion)(IStream* This, ULARGE_INTEGER offset, ULARGE_INTEGER count,
                            DWORD type);
    HRESULT (*Stat)(IStream* This, STATSTG* stat, DWORD flags);
    HRESULT (*Clone)(IStream* This, IStream** copy);
} IStreamVtbl;
struct IStream {
    const IStreamVtbl* lpVtbl;
};

typedef struct IStorageVtbl {
    VT_IUNKNOWN_SLOTS(IStorage)
    HRESULT (*CreateStream)(IStorage* This, LPCOLESTR name, DWORD mode, DWORD reserved1,
                            DWORD reserved2, IStream** stream);
    HRESULT (*OpenStream)(IStorage* This, LPCOLESTR name, void* reserved1, DWORD mode,
                          DWORD reserved2, IStream** stream);
    HRESULT (*CreateStorage)(IStorage* This, LPCOLESTR name, DWORD mode, DWORD reserved1,
                             DWORD reserved2, IStorage** storage);
    HRESULT (*OpenStorage)(IStorage* This, LPCOLESTR name, IStorage* priority, DWORD mode,
                           SNB exclude, DWORD reserved, IStorage** storage);
    HRESULT (*CopyTo)(IStorage* This, DWORD exclude_count, const IID* exclude_iids,
                      SNB exclude_names, IStorage* target);
    HRESULT (*MoveElementTo)(IStorage* This, LPCOLESTR name, IStorage* target,
                             LPCOLESTR new_name, DWORD flags);
    HRESULT (*Commit)(IStorage* This, DWORD flags);
    HRESULT (*Revert)(IStorage* This);
    HRESULT (*EnumElements)(IStorage* This, DWORD reserved1, void* reserved2, DWORD reserved3,
                            IEnumSTATSTG** elements);
    HRESULT (*DestroyElement)(IStorage* This, LPCOLESTR name);
    HRESULT (*RenameElement)(IStorage* This, LPCOLESTR old_name, LPCOLESTR new_name);
    HRESULT (*SetElementTimes)(IStorage* This, LPCOLESTR name, const FILETIME* created,
                               const FILETIME* accessed, const FILETIME* modified);
    HRESULT (*SetClass)(IStorage* This, REFCLSID clsid);
    HRESULT (*SetStateBits)(IStorage* This, DWORD bits, DWORD mask);
    HRESULT (*Stat)(IStorage* This, STATSTG* stat, DWORD flags);
} IStorageVtbl;
struct IStorage {
    const IStorageVtbl* lpVtbl;
};

#define VT_IPERSIST_SLOTS(This_t) \
    VT_IUNKNOWN_SLOTS(This_t)     \
    HRESULT (*GetClassID)(This_t * This, CLSID * clsid);

typedef struct IPersistVtbl {
    VT_IPERSIST_SLOTS(IPersist)
} IPersistVtbl;
struct IPersist {
    const IPersistVtbl* lpVtbl;
};

typedef struct IPersistStreamInitVtbl {
    VT_IPERSIST_SLOTS(IPersistStreamInit)
    HRESULT (*IsDirty)(IPersistStreamInit* This);
    HRESULT (*Load)(IPersistStreamInit* This, IStream* stream);
    HRESULT (*Save)(IPersistStreamInit* This, IStream* stream, BOOL clear_dirty);
    HRESULT (*GetSizeMax)(IPersistStreamInit* This, ULARGE_INTEGER* size);
    HRESULT (*InitNew)(IPersistStreamInit* This);
} IPersistStreamInitVtbl;
struct IPersistStreamInit {
    const IPersistStreamInitVtbl* lpVtbl;
};

typedef struct IPersistStorageVtbl {
    VT_IPERSIST_SLOTS(IPersistStorage)
    HRESULT (*IsDirty)(IPersistStorage* This);
    HRESULT (*InitNew)(IPersistStorage* This, IStorage* storage);
    HRESULT (*Load)(IPersistStorage* This, IStorage* storage);
    HRESULT (*Save)(IPersistStorage* This, IStorage* storage, BOOL same_as_load);
    HRESULT (*SaveCompleted)(IPersistStorage* This, IStorage* storage);
    HRESULT (*HandsOffStorage)(IPersistStorage* This);
} IPersistStorageVtbl;
struct IPersistStorage {
    const IPersistStorageVtbl* lpVtbl;
};

typedef struct IOleClientSiteVtbl {
    VT_IUNKNOWN_SLOTS(IOleClientSite)
    HRESULT (*SaveObject)(IOleClientSite* This);
    HRESULT (*GetMoniker)(IOleClientSite* This, DWORD assign, DWORD which, IMoniker** moniker);
    HRESULT (*GetContainer)(IOleClientSite* This, IOleContainer** container);
    HRESULT (*ShowObject)(IOleClientSite* This);
    HRESULT (*OnShowWindow)(IOleClientSite* This, BOOL show);
    HRESULT (*RequestNewObjectLayout)(IOleClientSite* This);
} IOleClientSiteVtbl;
struct IOleClientSite {
    const IOleClientSiteVtbl* lpVtbl;
};

typedef struct IOleObjectVtbl {
    VT_IUNKNOWN_SLOTS(IOleObject)
    HRESULT (*SetClientSite)(IOleObject* This, IOleClientSite* site);
    HRESULT (*GetClientSite)(IOleObject* This, IOleClientSite** site);
    HRESULT (*SetHostNames)(IOleObject* This, LPCOLESTR container_app, LPCOLESTR container_object);
    HRESULT (*Close)(IOleObject* This, DWORD save_option);
    HRESULT (*SetMoniker)(IOleObject* This, DWORD which, IMoniker* moniker);
    HRESULT (*GetMoniker)(IOleObject* This, DWORD assign, DWORD which, IMoniker** moniker);
    HRESULT (*InitFromData)(IOleObject* This, IDataObject* data, BOOL creation, DWORD reserved);
    HRESULT (*GetClipboardData)(IOleObject* This, DWORD reserved, IDataObject** data);
    HRESULT (*DoVerb)(IOleObject* This, LONG verb, MSG* message, IOleClientSite* active_site,
                      LONG index, HWND parent, LPCRECT position);
    HRESULT (*EnumVerbs)(IOleObject* This, IEnumOLEVERB** verbs);
    HRESULT (*Update)(IOleObject* This);
    HRESULT (*IsUpToDate)(IOleObject* This);
    HRESULT (*GetUserClassID)(IOleObject* This, CLSID* clsid);
    HRESULT (*GetUserType)(IOleObject* This, DWORD form, LPOLESTR* user_type);
    HRESULT (*SetExtent)(IOleObject* This, DWORD aspect, SIZEL* size);
    HRESULT (*GetExtent)(IOleObject* This, DWORD aspect, SIZEL* size);
    HRESULT (*Advise)(IOleObject* This, IAdviseSink* sink, DWORD* connection);
    HRESULT (*Unadvise)(IOleObject* This, DWORD connection);
    HRESULT (*EnumAdvise)(IOleObject* This, IEnumSTATDATA** advise);
    HRESULT (*GetMiscStatus)(IOleObject* This, DWORD aspect, DWORD* status);
    HRESULT (*SetColorScheme)(IOleObject* This, LOGPALETTE* palette);
} IOleObjectVtbl;
struct IOleObject {
    const IOleObjectVtbl* lpVtbl;
};

#define VT_IOLEWINDOW_SLOTS(This_t)                             \
    VT_IUNKNOWN_SLOTS(This_t)                                   \
    HRESULT (*GetWindow)(This_t * This, HWND * window);         \
    HRESULT (*ContextSensitiveHelp)(This_t * This, BOOL enter_mode);

typedef struct IOleWindowVtbl {
    VT_IOLEWINDOW_SLOTS(IOleWindow)
} IOleWindowVtbl;
struct IOleWindow {
    const IOleWindowVtbl* lpVtbl;
};

typedef struct IOleInPlaceObjectVtbl {
    VT_IOLEWINDOW_SLOTS(IOleInPlaceObject)
    HRESULT (*InPlaceDeactivate)(IOleInPlaceObject* This);
    HRESULT (*UIDeactivate)(IOleInPlaceObject* This);
    HRESULT (*SetObjectRects)(IOleInPlaceObject* This, LPCRECT position, LPCRECT clip);
    HRESULT (*ReactivateAndUndo)(IOleInPlaceObject* This);
} IOleInPlaceObjectVtbl;
struct IOleInPlaceObject {
    const IOleInPlaceObjectVtbl* lpVtbl;
};

typedef struct IOleInPlaceSiteVtbl {
    VT_IOLEWINDOW_SLOTS(IOleInPlaceSite)
    HRESULT (*CanInPlaceActivate)(IOleInPlaceSite* This);
    HRESULT (*OnInPlaceActivate)(IOleInPlaceSite* This);
    HRESULT (*OnUIActivate)(IOleInPlaceSite* This);
    HRESULT (*GetWindowContext)(IOleInPlaceSite* This, IOleInPlaceFrame** frame,
                                IOleInPlaceUIWindow** document, LPRECT position, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO frame_info);
    HRESULT (*Scroll)(IOleInPlaceSite* This, SIZE extent);
    HRESULT (*OnUIDeactivate)(IOleInPlaceSite* This, BOOL undoable);
    HRESULT (*OnInPlaceDeactivate)(IOleInPlaceSite* This);
    HRESULT (*DiscardUndoState)(IOleInPlaceSite* This);
    HRESULT (*DeactivateAndUndo)(IOleInPlaceSite* This);
    HRESULT (*OnPosRectChange)(IOleInPlaceSite* This, LPCRECT position);
} IOleInPlaceSiteVtbl;
struct IOleInPlaceSite {
    const IOleInPlaceSiteVtbl* lpVtbl;
};

#define VT_IVIEWOBJECT_SLOTS(This_t)                                                            \
    VT_IUNKNOWN_SLOTS(This_t)                                                                   \
    HRESULT (*Draw)(This_t * This, DWORD aspect, LONG index, void* aspect_info,                 \
                    DVTARGETDEVICE* target, HDC target_dc, HDC draw_dc, LPCRECTL bounds,        \
                    LPCRECTL window_bounds, BOOL (*keep_going)(ULONG_PTR),                      \
                    ULONG_PTR keep_going_arg);                                                  \
    HRESULT (*GetColorSet)(This_t * This, DWORD aspect, LONG index, void* aspect_info,          \
                           DVTARGETDEVICE* target, HDC target_dc, LOGPALETTE** colors);         \
    HRESULT (*Freeze)(This_t * This, DWORD aspect, LONG index, void* aspect_info,               \
                      DWORD* freeze);                                                           \
    HRESULT (*Unfreeze)(This_t * This, DWORD freeze);                                           \
    HRESULT (*SetAdvise)(This_t * This, DWORD aspects, DWORD flags, IAdviseSink* sink);         \
    HRESULT (*GetAdvise)(This_t * This, DWORD* aspects, DWORD* flags, IAdviseSink** sink);

typedef struct IViewObjectVtbl {
    VT_IVIEWOBJECT_SLOTS(IViewObject)
} IViewObjectVtbl;
struct IViewObject {
    const IViewObjectVtbl* lpVtbl;
};

typedef struct IViewObject2Vtbl {
    VT_IVIEWOBJECT_SLOTS(IViewObject2)
    HRESULT (*GetExtent)(IViewObject2* This, DWORD aspect, LONG index, DVTARGETDEVICE* target,
                         LPSIZEL size);
} IViewObject2Vtbl;
struct IViewObject2 {
    const IViewObject2Vtbl* lpVtbl;
};

typedef struct ISupportErrorInfoVtbl {
    VT_IUNKNOWN_SLOTS(ISupportErrorInfo)
    HRESULT (*InterfaceSupportsErrorInfo)(ISupportErrorInfo* This, REFIID riid);
} ISupportErrorInfoVtbl;
struct ISupportErrorInfo {
    const ISupportErrorInfoVtbl* lpVtbl;
};

typedef struct IOleControlVtbl {
    VT_IUNKNOWN_SLOTS(IOleControl)
    HRESULT (*GetControlInfo)(IOleControl* This, CONTROLINFO* info);
    HRESULT (*OnMnemonic)(IOleControl* This, MSG* message);
    HRESULT (*OnAmbientPropertyChange)(IOleControl* This, DISPID id);
    HRESULT (*FreezeEvents)(IOleControl* This, BOOL freeze);
} IOleControlVtbl;
struct IOleControl {
    const IOleControlVtbl* lpVtbl;
};

#endif /* __cplusplus */

VT_BEGIN_C

/* A growable memory stream. The stand-in has no global memory, so `global`
 * must be NULL (a new, empty stream); delete_on_release is accepted and
 * has nothing to free. E_INVALIDARG for a non-null global. */
VT_PLATFORM_API HRESULT CreateStreamOnHGlobal(HGLOBAL global, BOOL delete_on_release,
                                              IStream** stream);
/* With a NULL name, Windows makes a temporary compound file deleted on
 * release; here it is a storage in memory holding named streams (no
 * sub-storages). A file name is refused with STG_E_INVALIDNAME. */
VT_PLATFORM_API HRESULT StgCreateDocfile(LPCOLESTR name, DWORD mode, DWORD reserved,
                                         IStorage** storage);

VT_END_C

#endif /* PLATFORM_OLE2_H */
