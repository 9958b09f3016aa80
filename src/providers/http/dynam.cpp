// The DynamObj updater: one host, credentials in the query, a reply of
// HTML-flavoured text judged by keywords.
#include "providers/classes.h"
#include "providers/http/reply_parsers.h"
#include "providers/http/template_update.h"

namespace vantrel {

namespace {

// "Error" before "Duplicate" before "Update": a reply may carry several.
constexpr ReplyCode kPhrases[] = {
    {"Error", VANTREL_STATUS_SERVICE_ERROR},
    {"Duplicate", VANTREL_STATUS_SERVICE_ERROR},
    {"Update", VANTREL_STATUS_ACCEPTED},
};
constexpr KeywordSearch kSearch{kPhrases, "<br>"};

class DynamObj : public TemplateUpdater {
public:
    DynamObj() : TemplateUpdater(kDynamObjClass) {}

private:
    HRESULT ReadSettings(BlobReader& reader) override {
        m_settings.Read(reader);
        return S_OK;
    }

    // Placeholders in the order IP, HOST, LOGIN, PASSWORD; no extra header.
    std::optional<UpdateRequest> BuildRequest(const Text& address) override {
        return UpdateRequest{m_settings.FillTemplate(kDynamService.update_host,
                                                     "/update.php?host=###HOST###&login=###LOGIN###"
                                                     "&pass=###PASSWORD###&rmthost=###IP###",
                                                     address),
                             {}};
    }

    SHORT ParseReply(const Text& reply) override {
        return ParseKeywordReply(reply, m_settings.host, kSearch, m_message);
    }

    HostLogin m_settings;
};

}  // namespace

const ClassInfo kDynamObjClass{kDynamObjIdentity,
                               VANTREL_ID_DYNAM,
                               105,
                               0,
                               0,
                               Aggregation::Refused,
                               CreateObject<DynamObj, Aggregation::Refused>};

}  // namespace vantrel
