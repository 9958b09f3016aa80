// Activation through the registry.
#include "com_internal.h"

VT_EXTERN_C VT_PLATFORM_API HRESULT CLSIDFromProgID(LPCOLESTR, CLSID* clsid) {
    if (clsid == nullptr)
        return E_INVALIDARG;
    return CO_E_CLASSSTRING;
}
