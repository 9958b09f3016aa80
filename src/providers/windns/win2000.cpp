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
