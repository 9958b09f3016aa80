// The Win2000Obj/Win2000 pair (Windows DNS server: dynamic update of one A record).
#include "contract/blob_fields.h"
#include "contract/updater.h"
#include "providers/classes.h"
#include "providers/windns/win2000_settings.h"

namespace vantrel {

namespace {

// The DNS server is reached directly, never through a proxy.
class Win2000Obj : public SettingsUpdater<Win2000Settings, ReadWin2000Settings> {
public:
    Win2000Obj() : SettingsUpdater(kWin2000ObjClass, ProxySupport::Refused) {}

protected:
    // InitData discards any settings already given.
    void ResetSettings() override {
        m_message.Empty();
        m_status = VANTREL_STATUS_NO_OUTCOME;
        m_settings = Win2000Settings();
    }
};

}  // namespace

void ReadWin2000Settings(BlobReader& reader, Win2000Settings& settings) {
    ReadLayout(reader, kWin2000Layout,
               {{"server", settings.server},
                {"name", settings.record_name},
                {"ttl", settings.time_to_live},
                {"user", settings.user},
                {"password", settings.password},
                {"domain", settings.user_domain},
                {"security", settings.security}});
}

const ClassInfo kWin2000ObjClass{kWin2000ObjIdentity,
                                 VANTREL_ID_WIN2000,
                                 118,
                                 0,
                                 0,
                                 Aggregation::Allowed,
                                 CreateObject<Win2000Obj, Aggregation::Allowed>};

}  // namespace vantrel
