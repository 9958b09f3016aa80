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
        m_settings.Read(reader);
        return S_OK;
    }

    // Placeholders in the order IP, HOST, LOGIN, PASSWORD; no extra header.
    std::optional<UpdateRequest> BuildRequest(const Text& address) override {
        return UpdateRequest{
            m_settings.FillTemplate(kDnsExitService.update_host,
                                    "/RemoteUpdate.sv?login=###LOGIN###&password=###PASSWORD###"
                                    "&host=###HOST###&myip=###IP###",
                                    address),
            {}};
    }

    SHORT ParseReply(const Text& reply) override {
        return ParseCodeLineReply(reply, m_settings.host, m_message);
    }

    HostLogin m_settings;
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
