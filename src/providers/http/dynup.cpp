// The DynupObj updater: one host and its password; the service takes the
// address from the connection, so the address argument is not sent.
#include "providers/classes.h"
#include "providers/http/layouts.h"
#include "providers/http/reply_parsers.h"
#include "providers/http/template_update.h"

namespace vantrel {

namespace {

constexpr ReplyCode kPhrases[] = {
    {"Password Incorrect", VANTREL_STATUS_SERVICE_ERROR},
    {"Update complete!", VANTREL_STATUS_ACCEPTED},
};
constexpr KeywordSearch kSearch{kPhrases};

class DynupObj : public TemplateUpdater {
public:
    DynupObj() : TemplateUpdater(kDynupObjClass) {}

private:
    HRESULT ReadSettings(BlobReader& reader) override {
        ReadLayout(reader, kDynupLayout, {{"host", m_host}, {"password", m_password}});
        return S_OK;
    }

    // Another accepted code (204 and the like) carries no verdict.
    std::optional<UpdateRequest> BuildRequest(const Text&) override {
        return UpdateRequest{
            FillTemplate(kDynupService.update_host,
                         "/update/java.php3?hostname=###HOST###&password=###PASSWORD###",
                         {{"###HOST###", m_host}, {"###PASSWORD###", m_password}}),
            {},
            ReplyStatus::Only200};
    }

    SHORT ParseReply(const Text& reply) override {
        return ParseKeywordReply(reply, m_host, kSearch, m_message);
    }

    Text m_host;
    Text m_password;
};

}  // namespace

const ClassInfo kDynupObjClass{kDynupObjIdentity,
                               VANTREL_ID_DYNUP,
                               109,
                               0,
                               0,
                               Aggregation::Refused,
                               CreateObject<DynupObj, Aggregation::Refused>};

}  // namespace vantrel
