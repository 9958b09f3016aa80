/*
 * Component runtime of the stand-in platform: the Windows types, HRESULTs,
 * BSTR, VARIANT/SAFEARRAY subset and the three base interfaces, shaped the
 * way Windows declares them. Usable from C and C++.
 *
 * Interfaces are structs of pure virtual functions in vtable slot order
 * (C++) or explicit vtables (C); the Itanium ABI lays both out the same,
 * so a C host can call a C++ object through lpVtbl.
 */
#ifndef PLATFORM_COM_H
#define PLATFORM_COM_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define VT_EXTERN_C extern "C"
#define VT_BEGIN_C extern "C" {
#define VT_END_C }
#else
#define VT_EXTERN_C
#define VT_BEGIN_C
#define VT_END_C
#endif

#define VT_PLATFORM_API __attribute__((visibility("default")))

typedef int32_t HRESULT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef int32_t INT;
typedef uint32_t UINT;
typedef int BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t DISPID;
typedef uint32_t LCID;
typedef uint16_t VARTYPE;
typedef int16_t VARIANT_BOOL;
typedef double DATE;
#ifdef __cplusplus
typedef char16_t WCHAR;
#else
typedef uint16_t WCHAR;
#endif
typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;
typedef OLECHAR* BSTR;
typedef char* LPSTR;
typedef const char* LPCSTR;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

typedef struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;
#ifdef __cplusplus
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;
#else
typedef const GUID* REFGUID;
typedef const IID* REFIID;
typedef const CLSID* REFCLSID;
#endif

/* HRESULTs with the values Windows gives them. */
#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001)
#define E_NOINTERFACE ((HRESULT)0x80004002)
#define E_POINTER ((HRESULT)0x80004003)
#define E_ABORT ((HRESULT)0x80004004)
#define E_FAIL ((HRESULT)0x80004005)
#define E_UNEXPECTED ((HRESULT)0x8000FFFF)
#define E_ACCESSDENIED ((HRESULT)0x80070005)
#define E_HANDLE ((HRESULT)0x80070006)
#define E_OUTOFMEMORY ((HRESULT)0x8007000E)
#define E_INVALIDARG ((HRESULT)0x80070057)
#define CLASS_E_NOAGGREGATION ((HRESULT)0x80040110)
#define CLASS_E_CLASSNOTAVAILABLE ((HRESULT)0x80040111)
#define REGDB_E_CLASSNOTREG ((HRESULT)0x80040154)
#define REGDB_E_READREGDB ((HRESULT)0x80040150)
#define REGDB_E_WRITEREGDB ((HRESULT)0x80040151)
#define CO_E_CLASSSTRING ((HRESULT)0x800401F3)
#define CO_E_DLLNOTFOUND ((HRESULT)0x800401F8)
#define CO_E_ERRORINDLL ((HRESULT)0x800401F9)
#define DISP_E_UNKNOWNINTERFACE ((HRESULT)0x80020001)
#define DISP_E_MEMBERNOTFOUND ((HRESULT)0x80020003)
#define DISP_E_PARAMNOTFOUND ((HRESULT)0x80020004)
#define DISP_E_TYPEMISMATCH ((HRESULT)0x80020005)
#define DISP_E_UNKNOWNNAME ((HRESULT)0x80020006)
#define DISP_E_BADPARAMCOUNT ((HRESULT)0x8002000E)
#define DISP_E_BADINDEX ((HRESULT)0x8002000B)
#define DISP_E_BADVARTYPE ((HRESULT)0x80020008)
#define DISP_E_ARRAYISLOCKED ((HRESULT)0x8002000D)
#define TYPE_E_LIBNOTREGISTERED ((HRESULT)0x8002801D)
#define TYPE_E_CANTLOADLIBRARY ((HRESULT)0x80029C4A)
#define STG_E_FILENOTFOUND ((HRESULT)0x80030002)
#define STG_E_READFAULT ((HRESULT)0x8003001E)
#define STG_E_WRITEFAULT ((HRESULT)0x8003001D)
#define STG_E_MEDIUMFULL ((HRESULT)0x80030070)
#define OLE_E_NOCONNECTION ((HRESULT)0x80040004)

#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define HRESULT_FROM_WIN32(x) \
    ((HRESULT)(x) <= 0 ? ((HRESULT)(x)) : ((HRESULT)(((x)&0x0000FFFF) | (7 << 16) | 0x80000000)))

/* VARIANT types used by the module and its hosts. */
enum VARENUM {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000
};

typedef struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
} SAFEARRAYBOUND;

/* fFeatures bits, as Windows sets them. */
#define FADF_HAVEVARTYPE 0x0080
#define FADF_BSTR 0x0100
#define FADF_UNKNOWN 0x0200
#define FADF_DISPATCH 0x0400
#define FADF_VARIANT 0x0800

typedef struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
} SAFEARRAY;

#ifdef __cplusplus
struct IUnknown;
struct IDispatch;
#else
typedef struct IUnknown IUnknown;
typedef struct IDispatch IDispatch;
#endif

typedef struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        int64_t llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        USHORT uiVal;
        ULONG ulVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        HRESULT scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        LONG* plVal;
        SHORT* piVal;
        BSTR* pbstrVal;
        struct VARIANT* pvarVal;
        void* byref;
    };
    /* Windows' VARIANT is 16 bytes on 32-bit and 24 on 64-bit; keep the room. */
    void* pRecInfoReserved;
} VARIANT;
typedef VARIANT VARIANTARG;

typedef struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
} DISPPARAMS;

typedef struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT(*pfnDeferredFillIn)(struct EXCEPINFO*);
    HRESULT scode;
} EXCEPINFO;

#define DISPATCH_METHOD 0x1
#define DISPATCH_PROPERTYGET 0x2
#define DISPATCH_PROPERTYPUT 0x4
#define DISPID_UNKNOWN (-1)
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_SYSTEM_DEFAULT 0x0800

/* Opaque here: the stand-in gives no type information objects. */
#ifdef __cplusplus
struct ITypeInfo;
#else
typedef struct ITypeInfo ITypeInfo;
#endif

#ifdef __cplusplus

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;
};

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                  DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* excep, UINT* arg_err) = 0;
};

#else /* C */

typedef struct IClassFactory IClassFactory;

typedef struct IUnknownVtbl {
    HRESULT (*QueryInterface)(IUnknown* This, REFIID riid, void** ppv);
    ULONG (*AddRef)(IUnknown* This);
    ULONG (*Release)(IUnknown* This);
} IUnknownVtbl;
struct IUnknown {
    const IUnknownVtbl* lpVtbl;
};

typedef struct IClassFactoryVtbl {
    HRESULT (*QueryInterface)(IClassFactory* This, REFIID riid, void** ppv);
    ULONG (*AddRef)(IClassFactory* This);
    ULONG (*Release)(IClassFactory* This);
    HRESULT (*CreateInstance)(IClassFactory* This, IUnknown* outer, REFIID riid, void** ppv);
    HRESULT (*LockServer)(IClassFactory* This, BOOL lock);
} IClassFactoryVtbl;
struct IClassFactory {
    const IClassFactoryVtbl* lpVtbl;
};

#define VT_IDISPATCH_SLOTS(This_t)                                                         \
    HRESULT (*QueryInterface)(This_t * This, REFIID riid, void** ppv);                     \
    ULONG (*AddRef)(This_t * This);                                                        \
    ULONG (*Release)(This_t * This);                                                       \
    HRESULT (*GetTypeInfoCount)(This_t * This, UINT * count);                              \
    HRESULT (*GetTypeInfo)(This_t * This, UINT index, LCID lcid, ITypeInfo * *info);       \
    HRESULT (*GetIDsOfNames)(This_t * This, REFIID riid, LPOLESTR * names, UINT count,     \
                             LCID lcid, DISPID * ids);                                     \
    HRESULT (*Invoke)(This_t * This, DISPID id, REFIID riid, LCID lcid, WORD flags,        \
                      DISPPARAMS * params, VARIANT * result, EXCEPINFO * excep, UINT * arg_err);

typedef struct IDispatchVtbl {
    VT_IDISPATCH_SLOTS(IDispatch)
} IDispatchVtbl;
struct IDispatch {
    const IDispatchVtbl* lpVtbl;
};

#endif /* __cplusplus */

/* Interface and class IDs the platform defines. */
VT_BEGIN_C
VT_PLATFORM_API extern const IID IID_IUnknown;
VT_PLATFORM_API extern const IID IID_IClassFactory;
VT_PLATFORM_API extern const IID IID_IDispatch;
VT_PLATFORM_API extern const IID IID_NULL;
VT_END_C

#define CLSCTX_INPROC_SERVER 0x1

VT_BEGIN_C

/* GUIDs */
VT_PLATFORM_API BOOL IsEqualGUID(REFGUID a, REFGUID b);
/* "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" into a buffer of at least 39 characters;
 * returns the characters written including the NUL, 0 when the buffer is too small. */
VT_PLATFORM_API int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int count);
VT_PLATFORM_API HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);

/* BSTR: length-prefixed UTF-16, NUL-terminated. */
VT_PLATFORM_API BSTR SysAllocString(const OLECHAR* text);
VT_PLATFORM_API BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
VT_PLATFORM_API void SysFreeString(BSTR text);
VT_PLATFORM_API UINT SysStringLen(BSTR text);
VT_PLATFORM_API UINT SysStringByteLen(BSTR text);

/* VARIANT */
VT_PLATFORM_API void VariantInit(VARIANT* v);
/* Frees what the VARIANT owns and leaves it VT_EMPTY. A bare VT_ARRAY
 * (no element type, as settings blobs are typed) owns its array too. */
VT_PLATFORM_API HRESULT VariantClear(VARIANT* v);

/* SAFEARRAY, one dimension is all the module uses; more are refused. */
VT_PLATFORM_API SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dims, SAFEARRAYBOUND* bounds);
VT_PLATFORM_API SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lower, ULONG count);
/* DISP_E_ARRAYISLOCKED while any lock is held. */
VT_PLATFORM_API HRESULT SafeArrayDestroy(SAFEARRAY* array);
VT_PLATFORM_API HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
VT_PLATFORM_API HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
VT_PLATFORM_API HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);

/* Activation through the registry: HKCR\<ProgID>\CLSID and
 * HKCR\CLSID\{...}\InprocServer32 name the module, which is loaded once and
 * asked through DllGetClassObject. */
VT_PLATFORM_API HRESULT CoInitialize(void* reserved);
VT_PLATFORM_API void CoUninitialize(void);
VT_PLATFORM_API HRESULT CLSIDFromProgID(LPCOLESTR progid, CLSID* clsid);
VT_PLATFORM_API HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID riid,
                                         void** ppv);
VT_PLATFORM_API HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context,
                                         REFIID riid, void** ppv);
VT_PLATFORM_API void CoTaskMemFree(void* p);
VT_PLATFORM_API void* CoTaskMemAlloc(size_t size);

VT_END_C

#endif /* PLATFORM_COM_H */
