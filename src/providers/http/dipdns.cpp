// The DipDNSObj updater: all host names of one key in one request.
#include "providers/classes.h"
#include "providers/http/layouts.h"
#include "providers/http/reply_parsers.h"
#include "providers/http/template_update.h"

namespace vantrel {

namespace {

class DipDNSObj : public TemplateUpdater {
public:
    DipDNSObj() : TemplateUpdater(kDipDNSObjClass) {}

private:
    HRESULT ReadSettings(BlobReader& reader) override {
        // Host names are added to those already held, never replacing them.
        ReadLayout(reader, kDipDnsLayout, {{"host", m_hosts}, {"key", m_key}});
        return S_OK;
    }

    std::optional<UpdateRequest> BuildRequest(const Text& address) override {
        return UpdateRequest{
            FillTemplate(
                kDipDnsService.update_host,
                "/dynamic/upd.php?key=###KEY###&host=###HOST###&ip=###IP###",
                {{"###IP###", address}, {"###KEY###", m_key}, {"###HOST###", JoinHosts(m_hosts)}}),
            {}};
    }

    SHORT ParseReply(const Text& reply) override {
        return ParseUpdatedCountReply(reply, m_hosts.Count(), m_message);
    }

    TextList m_hosts;
    Text m_key;
};

}  // namespace

// Rows: identity, provider ID, registration resource, toolbox bitmap, page
// dialog, aggregatable, creation function.
const ClassInfo kDipDNSObjClass{kDipDNSObjIdentity,
                                VANTREL_ID_DIPDNS,
                                133,
                                0,
                                0,
                                Aggregation::Allowed,
                                CreateObject<DipDNSObj, Aggregation::Allowed>};

}  // namespace vantrel
