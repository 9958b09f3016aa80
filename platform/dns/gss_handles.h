// Owners of GSS-API objects, and the credential behind a context HANDLE.
#pragma once

#include "dns_internal.h"

#include <gssapi/gssapi.h>
#include <gssapi/gssapi_krb5.h>

#include <string>

namespace vtdns::gss {

// Owns one GSS-API object of type T, freed with Free.
template <typename T, OM_uint32 (*Free)(OM_uint32*, T*)>
class Owned {
public:
    Owned() = default;
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() {
        OM_uint32 minor;
        Free(&minor, &m_value);
    }
    T get() const { return m_value; }
    T* out() { return &m_value; }

private:
    T m_value{};
};

inline OM_uint32 DeleteContext(OM_uint32* minor, gss_ctx_id_t* context) {
    return gss_delete_sec_context(minor, context, GSS_C_NO_BUFFER);
}

using Name = Owned<gss_name_t, gss_release_name>;
// A security context lives for one update; whatever way the update ends,
// the context goes with it.
using Context = Owned<gss_ctx_id_t, DeleteContext>;

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
