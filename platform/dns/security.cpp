// Credentials for signed updates: Kerberos through GSS-API. A password
// identity gets its tickets straight from the KDC into the credential
// itself, so no ticket cache is written; a null identity is the process's
// own ticket cache (KRB5CCNAME).
#include "gss_handles.h"
#include "gss_status.h"

#include <gssapi/gssapi_ext.h>

#include <memory>
#include <new>
#include <string>
#include <string_view>

namespace vtdns::gss {
namespace {

bool ReadText(const unsigned char* text, ULONG length, std::string_view* out) {
    if (text == nullptr && length != 0) {
        return false;
    }
    *out = std::string_view(reinterpret_cast<const char*>(text), text ? length : 0);
    return true;
}

// user@REALM, the realm being the user domain in upper case. The user's
// own '@' and '\' are quoted so they cannot start a realm.
std::string PrincipalOf(std::string_view user, std::string_view domain) {
    std::string principal;
    for (char c : user) {
        if (c == '@' || c == '\\') {
            principal += '\\';
        }
        principal += c;
    }
    if (!domain.empty()) {
        principal += '@';
        for (char c : domain) {
            principal += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    return principal;
}

// The realm of the credential's principal: what follows its last
// unquoted '@'.
DNS_STATUS ReadRealm(gss_cred_id_t credential, std::string* realm) {
    OM_uint32 minor = 0;
    Name name;
    OM_uint32 major = gss_inquire_cred(&minor, credential, name.out(), nullptr, nullptr, nullptr);
    if (GSS_ERROR(major)) {
        return SecurityStatus(major, static_cast<int32_t>(minor));
    }
    Buffer text;
    major = gss_display_name(&minor, name.get(), text.out(), nullptr);
    if (GSS_ERROR(major)) {
        return SecurityStatus(major, static_cast<int32_t>(minor));
    }
    const std::string_view display(static_cast<const char*>(text.get().value), text.get().length);
    size_t at = std::string_view::npos;
    for (size_t i = 0; i < display.size(); ++i) {
        if (display[i] == '\\') {
            ++i;
        } else if (display[i] == '@') {
            at = i;
        }
    }
    if (at == std::string_view::npos || at + 1 == display.size()) {
        return SEC_E_NO_CREDENTIALS;
    }
    realm->assign(display.substr(at + 1));
    return ERROR_SUCCESS;
}

DNS_STATUS AcquireWithPassword(const SEC_WINNT_AUTH_IDENTITY_A& identity, ContextHandle* handle) {
    std::string_view user, domain, password;
    if (identity.Flags != SEC_WINNT_AUTH_IDENTITY_ANSI ||
        !ReadText(identity.User, identity.UserLength, &user) ||
        !ReadText(identity.Domain, identity.DomainLength, &domain) ||
        !ReadText(identity.Password, identity.PasswordLength, &password) || user.empty()) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::string principal = PrincipalOf(user, domain);
    gss_buffer_desc principal_text{principal.size(), const_cast<char*>(principal.data())};
    OM_uint32 minor = 0;
    Name name;
    OM_uint32 major = gss_import_name(&minor, &principal_text, GSS_KRB5_NT_PRINCIPAL_NAME, name.out());
    if (GSS_ERROR(major)) {
        return SEC_E_LOGON_DENIED;
    }
    // The caller's own bytes: the password is never copied.
    gss_buffer_desc secret{password.size(), const_cast<char*>(password.data())};
    gss_OID_set_desc mechanisms = KerberosOnly();
    major = gss_acquire_cred_with_password(&minor, name.get(), &secret, GSS_C_INDEFINITE, &mechanisms,
                                           GSS_C_INITIATE, &handle->credential, nullptr, nullptr);
    if (GSS_ERROR(major)) {
        return SecurityStatus(major, static_cast<int32_t>(minor));
    }
    return ReadRealm(handle->credential, &handle->realm);
}

DNS_STATUS AcquireDefault(ContextHandle* handle) {
    OM_uint32 minor = 0;
    gss_OID_set_desc mechanisms = KerberosOnly();
    const OM_uint32 major = gss_acquire_cred(&minor, GSS_C_NO_NAME, GSS_C_INDEFINITE, &mechanisms,
                                             GSS_C_INITIATE, &handle->credential, nullptr, nullptr);
    if (GSS_ERROR(major)) {
        return SecurityStatus(major, static_cast<int32_t>(minor));
    }
    // Reading the principal makes the mechanism open the cache now, so an
    // empty or missing one shows here rather than at the update.
    return ReadRealm(handle->credential, &handle->realm);
}

}  // namespace
}  // namespace vtdns::gss

extern "C" {

// credential_flags: 0, narrow strings, the only form this API takes.
VT_PLATFORM_API DNS_STATUS DnsAcquireContextHandle_A(DWORD credential_flags, void* credentials,
                                                     HANDLE* context) {
    if (context == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *context = nullptr;
    if (credential_flags != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    std::unique_ptr<vtdns::ContextHandle> handle(new (std::nothrow) vtdns::ContextHandle);
    if (!handle) {
        return ERROR_OUTOFMEMORY;
    }
    DNS_STATUS status;
    try {
        status = credentials == nullptr
                     ? vtdns::gss::AcquireDefault(handle.get())
                     : vtdns::gss::AcquireWithPassword(
                           *static_cast<const SEC_WINNT_AUTH_IDENTITY_A*>(credentials), handle.get());
    } catch (const std::bad_alloc&) {
        status = ERROR_OUTOFMEMORY;
    }
    if (status == ERROR_SUCCESS) {
        *context = handle.release();
    }
    return status;
}

VT_PLATFORM_API void DnsReleaseContextHandle(HANDLE context) {
    delete static_cast<vtdns::ContextHandle*>(context);
}

}  // extern "C"
