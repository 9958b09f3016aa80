// The zone of a name, as the given server reports it: the SOA of the name
// is asked for, then of its parent, and so on up to the root. Only that
// server is asked, never the zone's MNAME or the system's resolver, so
// every packet goes where the user pointed.
#include "wire.h"

namespace vtdns {

namespace {

constexpr unsigned kNoError = 0;
constexpr unsigned kNxDomain = 3;

}  // namespace

DNS_STATUS FindZone(const Server& server, const std::string& record_name, Zone* zone) {
    *zone = Zone{};
    Dname name = ParseName(record_name);
    if (!name) {
        return ERROR_INVALID_NAME;
    }
    std::vector<uint8_t> reply;
    // At most 128 labels, so at most 128 questions.
    for (;;) {
        const std::vector<uint8_t> query = BuildSoaQuery(*name);
        if (query.empty()) {
            return ERROR_OUTOFMEMORY;
        }
        if (DNS_STATUS status = ExchangeWire(server, query, Transport::kUdpThenTcp, &reply);
            status != ERROR_SUCCESS) {
            return status;
        }
        switch (ReadSoaReply(reply, *name, zone)) {
            case SoaReply::kFound:
                return ERROR_SUCCESS;
            case SoaReply::kMalformed:
                return DNS_ERROR_BAD_PACKET;
            case SoaReply::kNone:
                break;
        }
        // A name that does not exist, or exists without an SOA, may still
        // lie in a zone further up; any other answer ends the search.
        const unsigned rcode = Rcode(reply);
        if (rcode != kNoError && rcode != kNxDomain) {
            return StatusFromRcode(rcode);
        }
        if (ldns_dname_label_count(name.get()) == 0) {
            return DNS_ERROR_RCODE_NAME_ERROR;
        }
        name.reset(ldns_dname_left_chop(name.get()));
        if (!name) {
            return ERROR_OUTOFMEMORY;
        }
    }
}

}  // namespace vtdns
