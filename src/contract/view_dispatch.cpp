// IGView's IDispatch, as an automation client calls it: names to DISPIDs
// without regard to case, arguments in DISPPARAMS last one first, and the
// [out,retval] parameter returned in the result VARIANT.
#include "contract/view.h"

#include <iterator>

namespace vantrel {

namespace {

const char* const kMethodNames[] = {"GetDisplayName", "NeedConfiguration", "GetID",     "GetData",
                                    "SetData",        "GetTimeInterval",   "GetOrgSize"};

char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c;
}

bool SameNameNoCase(const OLECHAR* wide, const char* name) {
    for (; *name != '\0'; ++wide, ++name) {
        if (FoldAscii(*wide) != FoldAscii(static_cast<char16_t>(*name))) {
            return false;
        }
    }
    return *wide == 0;
}

UINT ParameterCount(DISPID id) {
    switch (id) {
        case VANTREL_DISPID_VIEW_SETDATA:
            return 1;
        case VANTREL_DISPID_GETORGSIZE:
            return 2;
        default:
            return 0;
    }
}

// A [in,out] long* argument comes as VT_BYREF|VT_I4.
LONG* ByRefLong(VARIANT& arg) {
    return arg.vt == (VT_BYREF | VT_I4) ? arg.plVal : nullptr;
}

}  // namespace

HRESULT View::GetTypeInfoCount(UINT* count) {
    return NoTypeInfoCount(count);
}

HRESULT View::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    return NoTypeInfo(info);
}

// Only the method name (the first) can be known: the methods' parameters
// are positional, so any further names are unknown.
HRESULT View::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    HRESULT hr = UnknownIdsOfNames(names, count, ids);
    if (FAILED(hr) || count == 0) {
        return hr;
    }
    for (size_t m = 0; m < std::size(kMethodNames); ++m) {
        if (names[0] != nullptr && SameNameNoCase(names[0], kMethodNames[m])) {
            ids[0] = static_cast<DISPID>(m + 1);
        }
    }
    return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT View::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                     EXCEPINFO*, UINT* arg_err) {
    if (!IsEqualGUID(riid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (id < 1 || id > static_cast<DISPID>(std::size(kMethodNames)) ||
        (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params == nullptr) {
        return E_INVALIDARG;
    }
    if (params->cNamedArgs != 0) {
        return DISP_E_PARAMNOTFOUND;
    }
    if (params->cArgs != ParameterCount(id) || (params->cArgs != 0 && params->rgvarg == nullptr)) {
        return DISP_E_BADPARAMCOUNT;
    }
    VARIANT discard;
    VariantInit(&discard);
    VARIANT& out = result != nullptr ? *result : discard;
    if (result != nullptr) {
        VariantInit(result);
    }
    HRESULT hr = InvokeMethod(id, *params, out, arg_err);
    if (result == nullptr) {
        VariantClear(&discard);
    }
    return hr;
}

HRESULT View::InvokeMethod(DISPID id, DISPPARAMS& params, VARIANT& result, UINT* arg_err) {
    switch (id) {
        case VANTREL_DISPID_GETDISPLAYNAME: {
            HRESULT hr = GetDisplayName(&result.bstrVal);
            result.vt = SUCCEEDED(hr) ? VT_BSTR : VT_EMPTY;
            return hr;
        }
        case VANTREL_DISPID_NEEDCONFIGURATION:
            result.vt = VT_I2;
            return NeedConfiguration(&result.iVal);
        case VANTREL_DISPID_VIEW_GETID:
            result.vt = VT_I4;
            return GetID(&result.lVal);
        case VANTREL_DISPID_GETDATA:
            return GetData(&result);
        case VANTREL_DISPID_VIEW_SETDATA:
            return SetData(params.rgvarg[0]);
        case VANTREL_DISPID_GETTIMEINTERVAL:
            result.vt = VT_I4;
            return GetTimeInterval(&result.lVal);
        default:
            break;
    }
    // GetOrgSize(plX, plY): the last argument comes first.
    LONG* y = ByRefLong(params.rgvarg[0]);
    LONG* x = ByRefLong(params.rgvarg[1]);
    if (x == nullptr || y == nullptr) {
        if (arg_err != nullptr) {
            *arg_err = y == nullptr ? 0 : 1;
        }
        return DISP_E_TYPEMISMATCH;
    }
    return GetOrgSize(x, y);
}

}  // namespace vantrel
