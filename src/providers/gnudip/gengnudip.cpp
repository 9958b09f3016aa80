// The GenGnuDIPObj/GenGnuDIPView pair (Generic GnuDIP2: a server of the user's choice).
#include "contract/updater.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class GenGnuDIPObj : public Updater {
public:
    GenGnuDIPObj() : Updater(kGenGnuDIPObjClass, ProxySupport::Stored) {}

protected:
    // Eight fields in blob order. An empty server address or update URL
    // keeps the one already held; the port is a 16-bit field.
    HRESULT ReadSettings(BlobReader& reader) override {
        for (Text* field : {&m_user, &m_domain, &m_password}) {
            if (auto text = reader.CountedText()) {
                *field = *text;
            }
        }
        for (int32_t* field : {&m_request, &m_transport}) {
            if (auto value = reader.Integer()) {
                *field = *value;
            }
        }
        if (auto server = reader.BareText(); server && !server->IsEmpty()) {
            m_server = *server;
        }
        if (auto port = reader.ShortInteger()) {
            m_port = *port;
        }
        if (auto url = reader.BareText(); url && !url->IsEmpty()) {
            m_url = *url;
        }
        return S_OK;
    }

    Text m_user;
    Text m_domain;
    Text m_password;
    int32_t m_request = 0;    // 0 update, 1 offline, 2 the server sees the address
    int32_t m_transport = 0;  // 0 TCP form, 1 HTTP form
    Text m_server;
    uint16_t m_port = 0;
    Text m_url;
};

}  // namespace

const ClassInfo kGenGnuDIPObjClass{kGenGnuDIPObjIdentity,
                                   VANTREL_ID_GENGNUDIP,
                                   127,
                                   0,
                                   0,
                                   Aggregation::Allowed,
                                   CreateObject<GenGnuDIPObj, Aggregation::Allowed>};
// Dialogs 131 and 132 are the view's two server-settings dialogs.

}  // namespace vantrel
