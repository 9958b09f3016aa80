// The Win2000Obj/Win2000 pair (Windows DNS server: dynamic update of one A record).
#include "contract/updater.h"
#include "providers/windns/win2000_settings.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

// The DNS server is reached directly, never through a proxy.
class Win2000Obj : public SettingsUpdater<Win2000Settings, ReadWin2000Settings> {
public:
    Win2000Obj() : SettingsUpdater(kWin2000ObjClass, ProxySupport::Refused) {}

protected:
    // FIXME: not carried out until the DNS update is built.
    HRESULT RunUpdate(const Text&) override { return E_NOTIMPL; }
    // InitData discards any settings already given.
    void ResetSettings() override {
        m_message.Empty();
        m_status = VANTREL_STATUS_NO_OUTCOME;
        m_settings = Win2000Settings();
    }
};

}  // namespace

void ReadWin2000Settings(BlobReader& reader, Win2000Settings& settings) {
    auto text = [&](Text& field) {
        if (auto value = reader.BareText()) {
            field = *value;
        }
    };
    auto integer = [&](LONG& field) {
        if (auto value = reader.Integer()) {
            field = *value;
        }
    };
    text(settings.server);
    text(settings.record_name);
    integer(settings.time_to_live);
    text(settings.user);
    text(settings.password);
    text(settings.user_domain);
    integer(settings.security);
}

const ClassInfo kWin2000ObjClass{kWin2000ObjIdentity,
                                 VANTREL_ID_WIN2000,
                                 118,
                                 0,
                                 0,
                                 Aggregation::Allowed,
                                 CreateObject<Win2000Obj, Aggregation::Allowed>};

}  // namespace vantrel
