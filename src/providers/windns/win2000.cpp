// The Win2000Obj/Win2000 pair (Windows DNS server: dynamic update of one A record).
#include <platform/windns.h>

#include <cstring>

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
    HRESULT RunUpdate(const Text& address) override;

    // InitData discards any settings already given.
    void ResetSettings() override {
        m_message.Empty();
        m_status = VANTREL_STATUS_NO_OUTCOME;
        m_settings = Win2000Settings();
    }
};

// The record goes as both the records to delete and the records to add:
// the DNS client sends "delete this RR" then "add this RR", so the name
// ends up with the address at the new TTL and keeps its other A records.
HRESULT Win2000Obj::RunUpdate(const Text& address) {
    DNS_RECORDA record{};
    IP4_ARRAY servers{};
    record.pName = const_cast<char*>(m_settings.record_name.CStr());
    record.wType = DNS_TYPE_A;
    record.wDataLength = sizeof(DNS_A_DATA);
    // No range check: the setting goes to the server as it was stored.
    record.dwTtl = static_cast<DWORD>(m_settings.time_to_live);
    record.Data.A.IpAddress = inet_addr(address.CStr());
    // inet_addr cannot tell 255.255.255.255 from an error: it is refused.
    if (record.Data.A.IpAddress == INADDR_NONE) {
        m_message.Format("Error trying to convert the IP: %s", address.CStr());
        return E_FAIL;
    }
    servers.AddrCount = 1;
    servers.AddrArray[0] = inet_addr(m_settings.server.CStr());
    if (servers.AddrArray[0] == INADDR_NONE) {
        // Needs the socket library started by the host, as on Windows.
        const HOSTENT* host = gethostbyname(m_settings.server.CStr());
        if (host == nullptr) {
            m_message = "Error trying to convert the IP for server: ";
            m_message.Append(m_settings.server);
            return E_FAIL;
        }
        std::memcpy(&servers.AddrArray[0], host->h_addr_list[0], sizeof servers.AddrArray[0]);
    }
    HANDLE context = nullptr;
    const DWORD options = static_cast<DWORD>(m_settings.security);
    if ((options & DNS_UPDATE_SECURITY_ONLY) != 0) {
        DNS_STATUS status;
        if (!m_settings.user.IsEmpty() && !m_settings.password.IsEmpty() &&
            !m_settings.user_domain.IsEmpty()) {
            auto bytes = [](const Text& text) {
                return reinterpret_cast<unsigned char*>(const_cast<char*>(text.CStr()));
            };
            SEC_WINNT_AUTH_IDENTITY_A identity{};
            identity.User = bytes(m_settings.user);
            identity.UserLength = static_cast<ULONG>(m_settings.user.Length());
            identity.Domain = bytes(m_settings.user_domain);
            identity.DomainLength = static_cast<ULONG>(m_settings.user_domain.Length());
            identity.Password = bytes(m_settings.password);
            identity.PasswordLength = static_cast<ULONG>(m_settings.password.Length());
            identity.Flags = SEC_WINNT_AUTH_IDENTITY_ANSI;
            status = DnsAcquireContextHandle_A(0, &identity, &context);
        } else {
            // The process's own credentials.
            status = DnsAcquireContextHandle_A(0, nullptr, &context);
        }
        if (status != ERROR_SUCCESS) {
            m_message.Format("Error (%Ld) trying to aquire dns security context for: %s\\%s",
                             static_cast<long long>(status), m_settings.user.CStr(),
                             m_settings.user_domain.CStr());
            return E_FAIL;
        }
    }
    const DNS_STATUS status =
        DnsModifyRecordsInSet_A(&record, &record, options, context, &servers, nullptr);
    if (context != nullptr) {
        DnsReleaseContextHandle(context);
    }
    if (status != ERROR_SUCCESS) {
        m_message.Format("Error (%Ld) trying to update the A record for record domain name: %s",
                         static_cast<long long>(status), m_settings.record_name.CStr());
        return E_FAIL;
    }
    m_status = VANTREL_STATUS_ACCEPTED;
    return S_OK;
}

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
