// The GenGnuDIPObj updater (Generic GnuDIP2: a server of the user's choice,
// over TCP or HTTP, with any of the three request codes).
#include "contract/updater.h"
#include "providers/classes.h"
#include "providers/gnudip/gnudip_http_client.h"
#include "providers/gnudip/gnudip_settings.h"
#include "providers/gnudip/gnudip_tcp_client.h"

namespace vantrel {

namespace {

constexpr int32_t kTcpForm = 0;
constexpr int32_t kHttpForm = 1;

class GenGnuDIPObj : public SettingsUpdater<GenGnuDIPSettings, ReadGenGnuDIPSettings> {
public:
    GenGnuDIPObj() : SettingsUpdater(kGenGnuDIPObjClass, ProxySupport::Stored) {}

private:
    // A request code or transport the page cannot produce sends nothing:
    // status 3, an empty message. Only the HTTP form uses the proxy.
    HRESULT RunUpdate(const Text& address) override {
        std::optional<gnudip::RequestCode> code = gnudip::RequestCodeFrom(m_settings.request);
        if (!code) {
            return E_FAIL;
        }
        gnudip::Verdict verdict = gnudip::Verdict::kNone;
        if (m_settings.transport == kTcpForm) {
            gnudip::GnuDIPTcpClient client(m_settings.server, m_settings.port);
            client.Set(m_settings.user, m_settings.password, m_settings.domain, address, *code);
            if (!client.Run(verdict)) {
                return E_FAIL;
            }
        } else if (m_settings.transport == kHttpForm) {
            gnudip::GnuDIPHttpClient client(m_settings.url);
            client.SetProxy(m_proxy_host, m_proxy_port);
            client.Set(m_settings.user, m_settings.password, m_settings.domain, address, *code);
            if (!client.Run(verdict)) {
                return E_FAIL;
            }
        } else {
            return E_FAIL;
        }
        return Report(verdict, *code);
    }

    // The texts end with a blank; the user name follows directly.
    HRESULT Report(gnudip::Verdict verdict, gnudip::RequestCode code) {
        if (verdict != gnudip::Verdict::kAccepted) {
            m_message = "Invalid login attempt for ";
            m_message.Append(m_settings.user);
            return E_FAIL;
        }
        m_message = code == gnudip::RequestCode::kOffline
                        ? "Offline request successful for "
                        : "Successfully updated to new IP address for ";
        m_message.Append(m_settings.user);
        m_status = VANTREL_STATUS_ACCEPTED;
        return S_OK;
    }
};

}  // namespace

const ClassInfo kGenGnuDIPObjClass{kGenGnuDIPObjIdentity,
                                   VANTREL_ID_GENGNUDIP,
                                   127,
                                   0,
                                   0,
                                   Aggregation::Allowed,
                                   CreateObject<GenGnuDIPObj, Aggregation::Allowed>};

}  // namespace vantrel
