// The EuroDynDnsObj updater: all host names of one account in one request
// with Basic credentials.
#include "providers/classes.h"
#include "providers/http/layouts.h"
#include "providers/http/reply_codes.h"
#include "providers/http/template_update.h"

namespace vantrel {

namespace {

class EuroDynDnsObj : public TemplateUpdater {
public:
    EuroDynDnsObj() : TemplateUpdater(kEuroDynDnsObjClass) {}

private:
    HRESULT ReadSettings(BlobReader& reader) override {
        std::optional<Text> user;
        std::optional<Text> password;
        ReadLayout(reader, kEuroDynDnsLayout,
                   {{"host", m_account.hosts}, {"user", user}, {"password", password}});
        m_account.KeepCredentials(user, password);
        return S_OK;
    }

    // Credentials that did not fit end the run unsent, as for DyFi.
    std::optional<UpdateRequest> BuildRequest(const Text& address) override {
        if (!m_account.credentials.Fits()) {
            return std::nullopt;
        }
        return UpdateRequest{
            FillTemplate(kEuroDynDnsService.update_host,
                         "/update/?hostname=###HOST###&myip=###IP###",
                         {{"###IP###", address}, {"###HOST###", JoinHosts(m_account.hosts)}}),
            m_account.credentials.Header()};
    }

    SHORT ParseReply(const Text& reply) override {
        return ParseLinePerHostReply(reply, m_account.hosts, kEuroDynDnsReplyCodes, m_message);
    }

    HostListAccount m_account;
};

}  // namespace

const ClassInfo kEuroDynDnsObjClass{kEuroDynDnsObjIdentity,
                                    VANTREL_ID_EURODYNDNS,
                                    114,
                                    0,
                                    0,
                                    Aggregation::Refused,
                                    CreateObject<EuroDynDnsObj, Aggregation::Refused>};

}  // namespace vantrel
