// The GnuDIP2Obj/GnuDIP2View pair (LinuxRC: GnuDIP over TCP to the network's fixed server).
#include "contract/updater.h"
#include "providers/classes.h"

namespace vantrel {

namespace {

class GnuDIP2Obj : public Updater {
public:
    // The fixed server is reached directly, never through a proxy.
    GnuDIP2Obj() : Updater(kGnuDIP2ObjClass, ProxySupport::Refused) {}

protected:
    // User, domain, password: counted texts, kept without their NUL. A
    // field cut short by the end of the blob keeps the value held before.
    HRESULT ReadSettings(BlobReader& reader) override {
        for (Text* field : {&m_user, &m_domain, &m_password}) {
            if (auto text = reader.CountedText()) {
                *field = *text;
            }
        }
        return S_OK;
    }

    Text m_user;
    Text m_domain;
    Text m_password;
};

}  // namespace

const ClassInfo kGnuDIP2ObjClass{kGnuDIP2ObjIdentity,
                                 VANTREL_ID_LINUXRC,
                                 123,
                                 0,
                                 0,
                                 Aggregation::Allowed,
                                 CreateObject<GnuDIP2Obj, Aggregation::Allowed>};

}  // namespace vantrel
