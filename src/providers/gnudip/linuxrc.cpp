// The GnuDIP2Obj updater (LinuxRC: GnuDIP over TCP to the network's fixed
// server, always registering the address it is given).
#include "contract/updater.h"
#include "providers/classes.h"
#include "providers/gnudip/gnudip_settings.h"
#include "providers/gnudip/gnudip_tcp_client.h"
#include "providers/gnudip/linuxrc_server.h"

namespace vantrel {

namespace {

class GnuDIP2Obj : public SettingsUpdater<LinuxRcSettings, ReadLinuxRcSettings> {
public:
    // The fixed server is reached directly, never through a proxy.
    GnuDIP2Obj() : SettingsUpdater(kGnuDIP2ObjClass, ProxySupport::Refused) {}

private:
    // An exchange that ends without the server's verdict leaves status 3
    // and the empty message DoEntryPoint set.
    HRESULT RunUpdate(const Text& address) override {
        gnudip::GnuDIPTcpClient client(kLinuxRcServerHost, kLinuxRcServerPort);
        client.Set(m_settings.user, m_settings.password, m_settings.domain, address,
                   gnudip::RequestCode::kUpdate);
        gnudip::Verdict verdict = gnudip::Verdict::kNone;
        if (!client.Run(verdict)) {
            return E_FAIL;
        }
        if (verdict != gnudip::Verdict::kAccepted) {
            m_message = "Invalid login! Verify your hostname and/or password!";
            return E_FAIL;
        }
        m_message = "Successful update!";
        m_status = VANTREL_STATUS_ACCEPTED;
        return S_OK;
    }
};

}  // namespace

const ClassInfo kGnuDIP2ObjClass{kGnuDIP2ObjIdentity,
                                 VANTREL_ID_LINUXRC,
                                 123,
                                 0,
                                 0,
                                 Aggregation::Allowed,
                                 CreateObject<GnuDIP2Obj, Aggregation::Allowed>};

}  // namespace vantrel
