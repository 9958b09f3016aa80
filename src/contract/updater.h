// The part every updater shares: provider ID, status, message, proxy, and
// the IIPUpdate methods around two hooks a provider overrides:
// ReadSettings (SetData) and RunUpdate (DoEntryPoint).
#pragma once

#include <vantrel/vantrel.h>

#include "contract/blob.h"
#include "contract/class_info.h"
#include "text/text.h"

namespace vantrel {

// Whether SetProxy stores the address or the provider talks to its server
// directly and refuses it with E_NOTIMPL.
enum class ProxySupport { Stored, Refused };

class Updater : public IIPUpdate {
public:
    // QueryInterface map: IUnknown, own interface, IIPUpdate, IDispatch. The
    // own interface has no methods, so all four share the IIPUpdate vtable;
    // IDispatch yields the own interface, whose dispatch knows no members.
    void* FindInterface(REFIID riid);

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excep, UINT* arg_err) override;

    HRESULT GetID(LONG* value) override;
    HRESULT GetErrorMessage(BSTR* value) override;
    HRESULT GetErrorStatus(SHORT* value) override;
    HRESULT SetProxy(BSTR proxy) override;
    HRESULT SetData(VARIANT value) override;
    HRESULT DoEntryPoint(BSTR ip_address) override;
    HRESULT InitData() override;

    const ClassInfo& Info() const { return m_info; }

protected:
    Updater(const ClassInfo& info, ProxySupport proxy);
    virtual ~Updater() = default;

    // SetData: unpack the settings blob, field by field. Called only with a
    // real blob; SetData answers S_OK whatever it finds. Pure, so that no
    // provider can forget its own.
    virtual HRESULT ReadSettings(BlobReader& reader) = 0;
    // DoEntryPoint after the message was emptied and the status set to 3.
    // S_OK for a definite answer; E_FAIL or a throw for none, which leaves
    // status 3 and an empty message.
    virtual HRESULT RunUpdate(const Text& address) = 0;
    // InitData: back to the defaults. Only Win2000Obj has any.
    virtual void ResetSettings() {}

    // A proxy is used only with a host and a port of at least 1.
    bool HasProxy() const { return !m_proxy_host.IsEmpty() && m_proxy_port >= 1; }

    Text m_message;
    SHORT m_status = VANTREL_STATUS_NO_OUTCOME;
    Text m_proxy_host;
    LONG m_proxy_port = 0;

private:
    const ClassInfo& m_info;
    ProxySupport m_proxy_support;
};

// An updater whose SetData only keeps the settings Read takes from the blob.
template <typename Settings, void (*Read)(BlobReader&, Settings&)>
class SettingsUpdater : public Updater {
protected:
    using Updater::Updater;

    HRESULT ReadSettings(BlobReader& reader) override {
        Read(reader, m_settings);
        return S_OK;
    }

    Settings m_settings;
};

// "host:port" split at the first colon; nothing when empty or without colon.
struct ProxyAddress {
    Text host;
    LONG port;
};
bool ParseProxyAddress(const Text& text, ProxyAddress& out);

}  // namespace vantrel
