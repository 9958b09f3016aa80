// Shared pieces of the stand-in DNS client: the wire exchange with one
// server, the zone search, and the hook the secure updates sign through.
#pragma once

#define VT_WINSOCK_NO_SHORT_NAMES
#include <platform/windns.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vtdns {

enum class Transport { kUdpThenTcp, kTcp };

// Where the messages go, after the host's --connect-to rules: the IPv4
// address in network byte order, the port in host order.
struct Server {
    uint32_t address;
    uint16_t port;
};

// Sends one DNS message in wire form and returns the wire bytes of the
// reply whose ID and question match it. UDP tries wait 2 s each, 3 tries;
// a truncated reply is asked again over TCP. 0, or ERROR_TIMEOUT when no
// matching reply came, or another status when no socket could be made.
DNS_STATUS ExchangeWire(const Server& server, const std::vector<uint8_t>& query,
                        Transport transport, std::vector<uint8_t>* reply);

// The zone that holds record_name, as the server itself reports it, with
// the MNAME of its SOA. Names are absolute, in presentation form.
struct Zone {
    std::string name;
    std::string mname;
};
DNS_STATUS FindZone(const Server& server, const std::string& record_name, Zone* zone);

// The security context behind a HANDLE of DnsAcquireContextHandle_A.
struct ContextHandle;

// Signs the unsigned UPDATE (wire form, its ID set), sends it to the
// server and verifies the signed reply. Same statuses as ExchangeWire, or
// 9000 + RCODE of the reply.
DNS_STATUS SendSecureUpdate(ContextHandle& handle, const Server& server, const Zone& zone,
                            const std::vector<uint8_t>& update);

}  // namespace vtdns
