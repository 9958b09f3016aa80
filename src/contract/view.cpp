#include "contract/view.h"

#include "text/text.h"

namespace vantrel {

View::View(const ClassInfo& info, const char* display_name)
    : m_info(info), m_display_name(display_name) {}

void* View::FindInterface(REFIID riid) {
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, m_info.identity.own_iid) ||
        IsEqualGUID(riid, IID_IGView) || IsEqualGUID(riid, IID_IDispatch)) {
        return static_cast<IGView*>(this);
    }
    return nullptr;
}

HRESULT View::GetDisplayName(BSTR* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    *value = nullptr;
    return Guarded([&] {
        *value = Text(m_display_name).ToBstr();
        return *value != nullptr ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT View::NeedConfiguration(SHORT* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    *value = 1;
    return S_OK;
}

HRESULT View::GetID(LONG* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    *value = m_info.provider_id;
    return S_OK;
}

// No view fixes an update interval of its own.
HRESULT View::GetTimeInterval(LONG* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    *value = 0;
    return S_OK;
}

}  // namespace vantrel
