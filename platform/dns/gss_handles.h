// Owners of GSS-API objects, and the credential behind a context HANDLE.
#pragma once

#include "dns_internal.h"

#include <gssapi/gssapi.h>
#include <gssapi/gssapi_krb5.h>

#include <string>

namespace vtdns::gss {

class Name {
public:
    Name() = default;
    Name(const Name&) = delete;
    Name& operator=(const Name&) = delete;
    ~Name() {
        OM_uint32 minor;
        gss_release_name(&minor, &m_name);
    }
    gss_name_t get() const { return m_name; }
    gss_name_t* out() { return &m_name; }

private:
    gss_name_t m_name = GSS_C_NO_NAME;
};

class Buffer {
public:
    Buffer() = default;
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ~Buffer() {
        OM_uint32 minor;
        gss_release_buffer(&minor, &m_buffer);
    }
    const gss_buffer_desc& get() const { return m_buffer; }
    gss_buffer_t out() { return &m_buffer; }

private:
    gss_buffer_desc m_buffer = GSS_C_EMPTY_BUFFER;
};

// A security context lives for one update; whatever way the update ends,
// the context goes with it.
class Context {
public:
    Context() = default;
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;
    ~Context() {
        OM_uint32 minor;
        gss_delete_sec_context(&minor, &m_context, GSS_C_NO_BUFFER);
    }
    gss_ctx_id_t get() const { return m_context; }
    gss_ctx_id_t* out() { return &m_context; }

private:
    gss_ctx_id_t m_context = GSS_C_NO_CONTEXT;
};

inline gss_OID_set_desc KerberosOnly() {
    return {1, const_cast<gss_OID>(gss_mech_krb5)};
}

}  // namespace vtdns::gss

// The credential an update is signed under, and the realm of its
// principal, where the DNS server's service principal is looked for.
struct vtdns::ContextHandle {
    gss_cred_id_t credential = GSS_C_NO_CREDENTIAL;
    std::string realm;

    ContextHandle() = default;
    ContextHandle(const ContextHandle&) = delete;
    ContextHandle& operator=(const ContextHandle&) = delete;
    ~ContextHandle() {
        OM_uint32 minor;
        gss_release_cred(&minor, &credential);
    }
};
