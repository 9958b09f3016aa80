// Building queries and updates with ldns; matching replies to them.
#include "wire.h"

#include <sys/random.h>

#include <cctype>

namespace vtdns {

namespace {

struct PktFree {
    void operator()(ldns_pkt* packet) const { ldns_pkt_free(packet); }
};
using Packet = std::unique_ptr<ldns_pkt, PktFree>;

struct RrListFree {
    void operator()(ldns_rr_list* list) const { ldns_rr_list_deep_free(list); }
};
using RrList = std::unique_ptr<ldns_rr_list, RrListFree>;

constexpr size_t kMaxName = 255;
constexpr uint8_t kQr = 0x80;
constexpr uint8_t kTc = 0x02;

uint16_t ReadU16(std::span<const uint8_t> message, size_t offset) {
    return static_cast<uint16_t>(message[offset] << 8 | message[offset + 1]);
}

unsigned Opcode(std::span<const uint8_t> message) {
    return (message[2] >> 3) & 0x0F;
}

// Reads the questions of a message without ever leaving it. Names come
// out in wire form with their letters lower-cased, for comparison.
class QuestionReader {
public:
    explicit QuestionReader(std::span<const uint8_t> message)
        : m_message(message), m_offset(kHeaderSize) {}

    bool Next(std::string* question) {
        question->clear();
        if (!Name(question) || m_offset + 4 > m_message.size()) {
            return false;
        }
        question->append(reinterpret_cast<const char*>(&m_message[m_offset]), 4);
        m_offset += 4;
        return true;
    }

private:
    // A compression pointer must point before the place it was read from
    // (RFC 1035 4.1.4 lets it point only to an earlier name), so every
    // jump moves backwards and a loop of pointers cannot form.
    bool Name(std::string* out) {
        size_t position = m_offset;
        size_t floor = m_offset;
        bool jumped = false;
        while (position < m_message.size()) {
            const uint8_t length = m_message[position];
            if ((length & 0xC0) == 0xC0) {
                if (position + 1 >= m_message.size()) {
                    return false;
                }
                const size_t target = (length & 0x3F) << 8 | m_message[position + 1];
                if (!jumped) {
                    m_offset = position + 2;
                    jumped = true;
                }
                if (target >= floor) {
                    return false;
                }
                floor = position = target;
                continue;
            }
            if ((length & 0xC0) != 0 || position + 1 + length > m_message.size() ||
                out->size() + 1 + length > kMaxName) {
                return false;
            }
            out->push_back(static_cast<char>(length));
            for (size_t i = 1; i <= length; ++i) {
                out->push_back(static_cast<char>(std::tolower(m_message[position + i])));
            }
            position += 1 + length;
            if (length == 0) {
                if (!jumped) {
                    m_offset = position;
                }
                return true;
            }
        }
        return false;
    }

    std::span<const uint8_t> m_message;
    size_t m_offset;
};

uint16_t RandomId() {
    uint16_t id = 0;
    if (getrandom(&id, sizeof id, 0) != static_cast<ssize_t>(sizeof id)) {
        id = ldns_get_random();
    }
    return id;
}

// Wire bytes of a packet with a fresh random ID and RD clear (ldns sets
// RD on updates; an authoritative server has nothing to recurse for).
std::vector<uint8_t> ToWire(ldns_pkt* packet) {
    ldns_pkt_set_id(packet, RandomId());
    ldns_pkt_set_rd(packet, false);
    uint8_t* bytes = nullptr;
    size_t size = 0;
    if (ldns_pkt2wire(&bytes, packet, &size) != LDNS_STATUS_OK) {
        return {};
    }
    std::vector<uint8_t> wire(bytes, bytes + size);
    LDNS_FREE(bytes);
    return wire;
}

ldns_rr* NewARecord(const ARecord& record, ldns_rr_class rr_class, uint32_t ttl) {
    Dname owner = ParseName(record.name);
    if (!owner) {
        return nullptr;
    }
    ldns_rdf* data = ldns_rdf_new_frm_data(LDNS_RDF_TYPE_A, sizeof record.address, &record.address);
    ldns_rr* rr = ldns_rr_new();
    if (data == nullptr || rr == nullptr) {
        ldns_rdf_deep_free(data);
        ldns_rr_free(rr);
        return nullptr;
    }
    ldns_rr_set_owner(rr, owner.release());
    ldns_rr_set_type(rr, LDNS_RR_TYPE_A);
    ldns_rr_set_class(rr, rr_class);
    ldns_rr_set_ttl(rr, ttl);
    ldns_rr_push_rdf(rr, data);
    return rr;
}

bool IsSoaOf(const ldns_rr* rr, const ldns_rdf& name, bool ancestors) {
    if (ldns_rr_get_type(rr) != LDNS_RR_TYPE_SOA || ldns_rr_rd_count(rr) < 1) {
        return false;
    }
    const ldns_rdf* owner = ldns_rr_owner(rr);
    return ldns_dname_compare(owner, &name) == 0 ||
           (ancestors && ldns_dname_is_subdomain(&name, owner));
}

const ldns_rr* FindSoa(const ldns_rr_list* list, const ldns_rdf& name, bool ancestors) {
    for (size_t i = 0; i < ldns_rr_list_rr_count(list); ++i) {
        const ldns_rr* rr = ldns_rr_list_rr(list, i);
        if (IsSoaOf(rr, name, ancestors)) {
            return rr;
        }
    }
    return nullptr;
}

}  // namespace

Dname ParseName(const std::string& text) {
    if (text.empty() || text.find('\0') != std::string::npos) {
        return nullptr;
    }
    const bool absolute = text.back() == '.' && (text.size() < 2 || text[text.size() - 2] != '\\');
    return Dname(ldns_dname_new_frm_str(absolute ? text.c_str() : (text + ".").c_str()));
}

std::string NameText(const ldns_rdf& name) {
    char* text = ldns_rdf2str(&name);
    std::string result = text != nullptr ? text : "";
    LDNS_FREE(text);
    return result;
}

DNS_STATUS StatusFromRcode(unsigned rcode) {
    return rcode == 0 ? ERROR_SUCCESS : DNS_ERROR_RESPONSE_CODES_BASE + static_cast<LONG>(rcode);
}

bool ReplyMatches(std::span<const uint8_t> query, std::span<const uint8_t> reply) {
    if (query.size() < kHeaderSize || reply.size() < kHeaderSize ||
        ReadU16(query, 0) != ReadU16(reply, 0) || (reply[2] & kQr) == 0 ||
        Opcode(query) != Opcode(reply)) {
        return false;
    }
    const uint16_t count = ReadU16(query, 4);
    const uint16_t reply_count = ReadU16(reply, 4);
    if (reply_count == 0 && Rcode(reply) != 0) {
        return true;
    }
    if (reply_count != count) {
        return false;
    }
    QuestionReader asked(query);
    QuestionReader answered(reply);
    std::string expected;
    std::string got;
    for (uint16_t i = 0; i < count; ++i) {
        if (!asked.Next(&expected) || !answered.Next(&got) || expected != got) {
            return false;
        }
    }
    return true;
}

bool IsTruncated(std::span<const uint8_t> message) {
    return (message[2] & kTc) != 0;
}

unsigned Rcode(std::span<const uint8_t> message) {
    return message[3] & 0x0F;
}

std::vector<uint8_t> BuildSoaQuery(const ldns_rdf& name) {
    ldns_rdf* owned = ldns_rdf_clone(&name);
    Packet query(owned != nullptr ? ldns_pkt_query_new(owned, LDNS_RR_TYPE_SOA, LDNS_RR_CLASS_IN, 0)
                                  : nullptr);
    return query ? ToWire(query.get()) : std::vector<uint8_t>{};
}

SoaReply ReadSoaReply(std::span<const uint8_t> reply, const ldns_rdf& name, Zone* zone) {
    ldns_pkt* parsed = nullptr;
    if (ldns_wire2pkt(&parsed, reply.data(), reply.size()) != LDNS_STATUS_OK) {
        return SoaReply::kMalformed;
    }
    Packet packet(parsed);
    const ldns_rr* soa = FindSoa(ldns_pkt_answer(parsed), name, false);
    if (soa == nullptr) {
        soa = FindSoa(ldns_pkt_authority(parsed), name, true);
    }
    if (soa == nullptr) {
        return SoaReply::kNone;
    }
    zone->name = NameText(*ldns_rr_owner(soa));
    zone->mname = NameText(*ldns_rr_rdf(soa, 0));
    return SoaReply::kFound;
}

std::vector<uint8_t> BuildUpdate(const std::string& zone, const std::vector<ARecord>& deletes,
                                 const std::vector<ARecord>& adds) {
    Dname zone_name = ParseName(zone);
    RrList updates(ldns_rr_list_new());
    if (!zone_name || !updates) {
        return {};
    }
    auto push = [&](const ARecord& record, ldns_rr_class rr_class, uint32_t ttl) -> bool {
        ldns_rr* rr = NewARecord(record, rr_class, ttl);
        if (rr != nullptr && !ldns_rr_list_push_rr(updates.get(), rr)) {
            ldns_rr_free(rr);
            return false;
        }
        return rr != nullptr;
    };
    // RFC 2136 2.5.4 and 2.5.1: the update section is processed in order.
    for (const ARecord& record : deletes) {
        if (!push(record, LDNS_RR_CLASS_NONE, 0)) {
            return {};
        }
    }
    for (const ARecord& record : adds) {
        if (!push(record, LDNS_RR_CLASS_IN, record.ttl)) {
            return {};
        }
    }
    Packet update(ldns_update_pkt_new(zone_name.release(), LDNS_RR_CLASS_IN, nullptr, updates.get(),
                                      nullptr));
    return update ? ToWire(update.get()) : std::vector<uint8_t>{};
}

}  // namespace vtdns
