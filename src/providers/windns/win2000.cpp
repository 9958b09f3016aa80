// The Win2000Obj/Win2000 pair (Windows DNS server: dynamic update of one A record).
#include "contract/updater.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

// The DNS server is reached directly, never through a proxy.
class Win2000Obj : public Updater {
public:
    Win2000Obj() : Updater(kWin2000ObjClass, ProxySupport::Refused) {}

protected:
    // Bare texts of exactly their L bytes (L may be 0) and two integers
    // taken as they are.
    HRESULT ReadSettings(BlobReader& reader) override {
        ReadText(reader, m_server);
        ReadText(reader, m_record_name);
        ReadInteger(reader, m_time_to_live);
        ReadText(reader, m_user);
        ReadText(reader, m_password);
        ReadText(reader, m_user_domain);
        ReadInteger(reader, m_security);
        return S_OK;
    }

    // InitData discards any settings already given.
    void ResetSettings() override {
        m_message.Empty();
        m_status = VANTREL_STATUS_NO_OUTCOME;
        m_server.Empty();
        m_record_name.Empty();
        m_time_to_live = kDefaultTimeToLive;
        m_user.Empty();
        m_password.Empty();
        m_user_domain.Empty();
        m_security = kSecurityUseDefault;
    }

    static void ReadText(BlobReader& reader, Text& field) {
        if (auto text = reader.BareText()) {
            field = *text;
        }
    }
    static void ReadInteger(BlobReader& reader, LONG& field) {
        if (auto value = reader.Integer()) {
            field = *value;
        }
    }

    static constexpr LONG kDefaultTimeToLive = 300;
    // The DNS API's DNS_UPDATE_SECURITY_USE_DEFAULT.
    static constexpr LONG kSecurityUseDefault = 0;

    Text m_server;
    Text m_record_name;
    LONG m_time_to_live = kDefaultTimeToLive;
    Text m_user;
    Text m_password;
    Text m_user_domain;
    LONG m_security = kSecurityUseDefault;
};

}  // namespace

const ClassInfo kWin2000ObjClass{kWin2000ObjIdentity,
                                 VANTREL_ID_WIN2000,
                                 118,
                                 0,
                                 0,
                                 Aggregation::Allowed,
                                 CreateObject<Win2000Obj, Aggregation::Allowed>};

}  // namespace vantrel
