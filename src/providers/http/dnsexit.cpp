// The DnsExit updater: one host, credentials in the query, a code line.
#include "providers/classes.h"
#include "providers/http/reply_parsers.h"
#include "providers/http/template_update.h"

namespace vantrel {

namespace {

class DnsExit : public TemplateUpdater {
public:
    DnsExit() : TemplateUpdater(kDnsExitClass) {}

private:
    HRESULT ReadSettings(BlobReader& reader) override {
        ReadText(reader, m_host);
        ReadText(reader, m_user);
        ReadText(reader, m_password);
        return S_OK;
    }

    std::optional<UpdateRequest> BuildRequest(const Text& address) override {
        return UpdateRequest{
            FillTemplate(kDnsExitService.update_host,
                         "/RemoteUpdate.sv?login=###LOGIN###&password=###PASSWORD###"
                         "&host=###HOST###&myip=###IP###",
                         {{"###IP###", address},
                          {"###HOST###", m_host},
                          {"###LOGIN###", m_user},
                          {"###PASSWORD###", m_password}}),
            {}};
    }

    SHORT ParseReply(const Text& reply) override {
        return ParseCodeLineReply(reply, m_host, m_message);
    }

    Text m_host;
    Text m_user;
    Text m_password;
};

}  // namespace

const ClassInfo kDnsExitClass{kDnsExitIdentity,
                              VANTREL_ID_DNSEXIT,
                              110,
                              0,
                              0,
                              Aggregation::Refused,
                              CreateObject<DnsExit, Aggregation::Refused>};

}  // namespace vantrel
