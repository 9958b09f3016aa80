#include "contract/updater.h"

#include <cstdint>

namespace vantrel {

namespace {

bool IsAtoiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads like atoi: white space, a sign, digits up to the first non-digit.
// atoi leaves overflow undefined; this saturates instead, so the absolute
// value always fits.
LONG ReadAtoi(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsAtoiSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) {
            value = INT32_MAX;
        }
    }
    return static_cast<LONG>(negative ? -value : value);
}

}  // namespace

bool ParseProxyAddress(const Text& text, ProxyAddress& out) {
    int colon = text.FindChar(':');
    if (colon < 0) {
        return false;
    }
    LONG port = ReadAtoi(text.View().substr(static_cast<size_t>(colon) + 1));
    out.host = text.Left(colon);
    out.port = port < 0 ? -port : port;
    return true;
}

Updater::Updater(const ClassInfo& info, ProxySupport proxy)
    : m_info(info), m_proxy_support(proxy) {}

void* Updater::FindInterface(REFIID riid) {
    if (IsEqualGUID(riid, IID_IUnknown) || IsEqualGUID(riid, m_info.identity.own_iid) ||
        IsEqualGUID(riid, IID_IIPUpdate) || IsEqualGUID(riid, IID_IDispatch)) {
        return static_cast<IIPUpdate*>(this);
    }
    return nullptr;
}

HRESULT Updater::GetTypeInfoCount(UINT* count) {
    return NoTypeInfoCount(count);
}

HRESULT Updater::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    return NoTypeInfo(info);
}

HRESULT Updater::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    HRESULT hr = UnknownIdsOfNames(names, count, ids);
    return FAILED(hr) ? hr : DISP_E_UNKNOWNNAME;
}

HRESULT Updater::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT Updater::GetID(LONG* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    *value = m_info.provider_id;
    return S_OK;
}

HRESULT Updater::GetErrorMessage(BSTR* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    *value = nullptr;
    return Guarded([&] {
        *value = m_message.ToBstr();
        return *value != nullptr ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT Updater::GetErrorStatus(SHORT* value) {
    if (value == nullptr) {
        return E_POINTER;
    }
    *value = m_status;
    return S_OK;
}

HRESULT Updater::SetProxy(BSTR proxy) {
    if (m_proxy_support == ProxySupport::Refused) {
        return E_NOTIMPL;
    }
    return Guarded([&] {
        ProxyAddress address;
        if (ParseProxyAddress(Text(proxy), address)) {
            m_proxy_host = address.host;
            m_proxy_port = address.port;
        }
        return S_OK;
    });
}

// A VARIANT that is no blob is ignored, as a host may hand over whatever it
// stored.
// Out of memory while reading still answers S_OK: what was read is kept.
HRESULT Updater::SetData(VARIANT value) {
    Guarded([&] {
        BlobReader reader(value);
        if (reader.IsBlob()) {
            ReadSettings(reader);
        }
        return S_OK;
    });
    return S_OK;
}

// The status is 3 before anything can fail, the address conversion
// included, and a run that throws ends as not carried out: E_FAIL, never
// an error code of its own, and no half-written message.
HRESULT Updater::DoEntryPoint(BSTR ip_address) {
    m_message.Empty();
    m_status = VANTREL_STATUS_NOT_DONE;
    bool threw = true;
    HRESULT hr = Guarded([&] {
        HRESULT result = RunUpdate(Text(ip_address));
        threw = false;
        return result;
    });
    if (threw) {
        // A parser may have appended part of its message before it threw.
        m_message.Empty();
        m_status = VANTREL_STATUS_NOT_DONE;
        return E_FAIL;
    }
    return hr == S_OK || hr == E_NOTIMPL ? hr : E_FAIL;
}

HRESULT Updater::InitData() {
    ResetSettings();
    return S_OK;
}

}  // namespace vantrel
