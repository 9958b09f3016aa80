// Wire form of the messages the DNS client sends and reads. Messages are
// built with ldns; replies are matched to their query through a bounded
// reader before ldns reads them. No sockets here.
#pragma once

// Before ldns: without it ldns defines bool, true and false as macros,
// which break standard headers included later.
#include <stdbool.h>

#include <ldns/ldns.h>

#include <memory>
#include <span>

#include "dns_internal.h"

namespace vtdns {

// RFC 1035 4.1.1.
constexpr size_t kHeaderSize = 12;

struct RdfFree {
    void operator()(ldns_rdf* rdf) const { ldns_rdf_deep_free(rdf); }
};
using Dname = std::unique_ptr<ldns_rdf, RdfFree>;

// An absolute domain name from its presentation form; a missing final dot
// is added. Null for an empty or invalid name (a label over 63 bytes, a
// name over 255).
Dname ParseName(const std::string& text);
std::string NameText(const ldns_rdf& name);

// 0 for NOERROR, else 9000 + RCODE, as the Windows DNS client reports it.
DNS_STATUS StatusFromRcode(unsigned rcode);

// Whether reply answers query: same ID and opcode, QR set, and the same
// questions (names in any case). An error reply may leave the questions
// out, as some servers do for FORMERR and NOTIMP.
bool ReplyMatches(std::span<const uint8_t> query, std::span<const uint8_t> reply);
// Header fields of a message of at least kHeaderSize bytes.
bool IsTruncated(std::span<const uint8_t> message);
unsigned Rcode(std::span<const uint8_t> message);

// A query for the SOA of name (class IN), RD clear, random ID.
std::vector<uint8_t> BuildSoaQuery(const ldns_rdf& name);

enum class SoaReply { kFound, kNone, kMalformed };
// The zone that a reply to the SOA query for name reveals: an SOA owned by
// name in the answer, or one owned by name or an ancestor in the authority
// section (a negative answer's). kNone when the reply has neither.
SoaReply ReadSoaReply(std::span<const uint8_t> reply, const ldns_rdf& name, Zone* zone);

struct ARecord {
    std::string name;
    uint32_t address;  // network byte order
    uint32_t ttl;
};
// An RFC 2136 UPDATE of zone: no prerequisites; each delete as "delete
// this RR" (class NONE, TTL 0), then each add as "add this RR" (class IN,
// its TTL). RD clear, random ID. Empty when a name is invalid.
std::vector<uint8_t> BuildUpdate(const std::string& zone, const std::vector<ARecord>& deletes,
                                 const std::vector<ARecord>& adds);

}  // namespace vtdns
