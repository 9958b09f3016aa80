// Kerberos' codes first, since the mechanism knows the cause; the GSS-API
// routine status where it does not.
#include "gss_status.h"

#include <gssapi/gssapi.h>
#include <krb5/krb5.h>

namespace vtdns::gss {
namespace {

struct Row {
    int32_t minor;
    DNS_STATUS status;
};

constexpr Row kByMinor[] = {
    // The KDC refused the user's password or does not know the user.
    {KRB5KRB_AP_ERR_BAD_INTEGRITY, SEC_E_LOGON_DENIED},
    {KRB5KDC_ERR_PREAUTH_FAILED, SEC_E_LOGON_DENIED},
    {KRB5KDC_ERR_C_PRINCIPAL_UNKNOWN, SEC_E_LOGON_DENIED},
    {KRB5KDC_ERR_CLIENT_REVOKED, SEC_E_LOGON_DENIED},
    {KRB5KDC_ERR_KEY_EXP, SEC_E_LOGON_DENIED},
    // No KDC answered, or none is known for the realm.
    {KRB5_KDC_UNREACH, SEC_E_NO_AUTHENTICATING_AUTHORITY},
    {KRB5_REALM_CANT_RESOLVE, SEC_E_NO_AUTHENTICATING_AUTHORITY},
    {KRB5_REALM_UNKNOWN, SEC_E_NO_AUTHENTICATING_AUTHORITY},
    // No ticket cache, or nothing usable in it.
    {KRB5_CC_NOTFOUND, SEC_E_NO_CREDENTIALS},
    {KRB5_FCC_NOFILE, SEC_E_NO_CREDENTIALS},
    {KRB5_CC_END, SEC_E_NO_CREDENTIALS},
    {KRB5KRB_AP_ERR_TKT_EXPIRED, SEC_E_NO_CREDENTIALS},
    // The realm has no such service: the MNAME names no DNS server of it.
    {KRB5KDC_ERR_S_PRINCIPAL_UNKNOWN, SEC_E_TARGET_UNKNOWN},
    {KRB5KRB_AP_ERR_SKEW, SEC_E_TIME_SKEW},
};

}  // namespace

DNS_STATUS SecurityStatus(uint32_t major, int32_t minor) {
    for (const Row& row : kByMinor) {
        if (row.minor == minor) {
            return row.status;
        }
    }
    switch (GSS_ROUTINE_ERROR(major)) {
    case GSS_S_NO_CRED:
    case GSS_S_CREDENTIALS_EXPIRED:
        return SEC_E_NO_CREDENTIALS;
    case GSS_S_BAD_NAME:
    case GSS_S_BAD_NAMETYPE:
        return SEC_E_TARGET_UNKNOWN;
    case GSS_S_DEFECTIVE_TOKEN:
    case GSS_S_DEFECTIVE_CREDENTIAL:
        return SEC_E_INVALID_TOKEN;
    case GSS_S_BAD_SIG:
        return DNS_ERROR_RCODE_BADSIG;
    default:
        return SEC_E_INTERNAL_ERROR;
    }
}

}  // namespace vtdns::gss
