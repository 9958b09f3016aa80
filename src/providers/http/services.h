// The web services of the template providers: the domain name a view shows
// and the host its updater sends the request to. The one place to change
// when a service moves.
#pragma once

namespace vantrel {

struct ServiceConstants {
    const char* domain_name;
    const char* update_host;
};

inline constexpr ServiceConstants kDipDnsService{"dipdns.com", "www.dipdns.com"};
inline constexpr ServiceConstants kDnsExitService{"dnsexit.com", "update.dnsexit.com"};
inline constexpr ServiceConstants kDyFiService{"dy.fi", "www.dy.fi"};
inline constexpr ServiceConstants kDynamService{"dynam.ac", "dynam.ac"};
inline constexpr ServiceConstants kDynupService{"dynup.net", "dynup.net"};
inline constexpr ServiceConstants kEuroDynDnsService{"eurodyndns.org", "eurodyndns.org"};

}  // namespace vantrel
