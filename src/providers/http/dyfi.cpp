// The DyFi updater: all host names of one account in one request with
// Basic credentials; the service takes the address from the connection.
#include "providers/classes.h"
#include "providers/http/layouts.h"
#include "providers/http/reply_codes.h"
#include "providers/http/template_update.h"

namespace vantrel {

namespace {

class DyFi : public TemplateUpdater {
public:
    DyFi() : TemplateUpdater(kDyFiClass) {}

private:
    HRESULT ReadSettings(BlobReader& reader) override {
        // A flag cut off by the end of the blob leaves the stored one.
        std::optional<Text> user;
        std::optional<Text> password;
        ReadLayout(reader, kDyFiLayout,
                   {{"host", m_account.hosts},
                    {"user", user},
                    {"password", password},
                    {"offline", m_offline}});
        m_account.KeepCredentials(user, password);
        return S_OK;
    }

    // Through a proxy the service is asked on its port 8180.
    // Credentials that did not fit end the run unsent: a request with a
    // broken Authorization line could only fail at the service.
    std::optional<UpdateRequest> BuildRequest(const Text&) override {
        if (!m_account.credentials.Fits()) {
            return std::nullopt;
        }
        UpdateRequest request{FillTemplate(kDyFiService.update_host,
                                           HasProxy() ? ":8180/nic/update?hostname=###HOST###"
                                                      : "/nic/update?hostname=###HOST###",
                                           {{"###HOST###", JoinHosts(m_account.hosts)}}),
                              m_account.credentials.Header()};
        if (m_offline) {
            request.url.Append("&offline=yes");
        }
        return request;
    }

    SHORT ParseReply(const Text& reply) override {
        return ParseLinePerHostReply(reply, m_account.hosts, kDyFiReplyCodes, m_message);
    }

    HostListAccount m_account;
    bool m_offline = false;
};

}  // namespace

const ClassInfo kDyFiClass{kDyFiIdentity,
                           VANTREL_ID_DYFI,
                           137,
                           0,
                           0,
                           Aggregation::Allowed,
                           CreateObject<DyFi, Aggregation::Allowed>};

}  // namespace vantrel
