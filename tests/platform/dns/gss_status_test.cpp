// The Kerberos and GSS-API failures the peers cannot produce on demand;
// the others are reached end to end in secure_update_test.cpp.
#include "dns/gss_status.h"

#include <gssapi/gssapi.h>
#include <krb5/krb5.h>

#include <gtest/gtest.h>

namespace {

TEST(GssStatus, KerberosCauseWinsOverTheRoutineStatus) {
    const struct {
        uint32_t major;
        int32_t minor;
        DNS_STATUS status;
    } cases[] = {
        {GSS_S_FAILURE, KRB5KDC_ERR_KEY_EXP, SEC_E_LOGON_DENIED},
        {GSS_S_FAILURE, KRB5_REALM_UNKNOWN, SEC_E_NO_AUTHENTICATING_AUTHORITY},
        {GSS_S_FAILURE, KRB5KRB_AP_ERR_TKT_EXPIRED, SEC_E_NO_CREDENTIALS},
        {GSS_S_FAILURE, KRB5KRB_AP_ERR_SKEW, SEC_E_TIME_SKEW},
        // Without a known cause, the routine status decides.
        {GSS_S_CREDENTIALS_EXPIRED, 0, SEC_E_NO_CREDENTIALS},
        {GSS_S_BAD_NAMETYPE, 0, SEC_E_TARGET_UNKNOWN},
        {GSS_S_DEFECTIVE_TOKEN, 0, SEC_E_INVALID_TOKEN},
        {GSS_S_BAD_SIG | GSS_S_DUPLICATE_TOKEN, 0, DNS_ERROR_RCODE_BADSIG},
        {GSS_S_FAILURE, 12345, SEC_E_INTERNAL_ERROR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.major << " " << c.minor);
        EXPECT_EQ(vtdns::gss::SecurityStatus(c.major, c.minor), c.status);
    }
}

}  // namespace
