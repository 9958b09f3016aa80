// How a GSS-API (Kerberos) failure reads as a Windows security status.
// Kept apart from the calls so the table can be checked row by row.
#pragma once

#define VT_WINSOCK_NO_SHORT_NAMES
#include <platform/windns.h>

#include <cstdint>

namespace vtdns::gss {

// major: the GSS-API routine status; minor: the Kerberos mechanism's code.
DNS_STATUS SecurityStatus(uint32_t major, int32_t minor);

}  // namespace vtdns::gss
