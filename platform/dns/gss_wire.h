// Wire forms of GSS-TSIG: the TKEY negotiation (RFC 2930, RFC 3645) and
// TSIG signatures (RFC 8945) over messages in wire form. Pure: no socket,
// clock or GSS-API call here, so every byte is testable.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vtdns::gss {

using Bytes = std::vector<uint8_t>;
using ByteView = std::span<const uint8_t>;

inline constexpr uint16_t kTypeTkey = 249;
inline constexpr uint16_t kTypeTsig = 250;
inline constexpr uint16_t kClassAny = 255;
inline constexpr uint16_t kTkeyModeGssapi = 3;
// Clock difference either side tolerates; what other clients use.
inline constexpr uint16_t kFudge = 300;
inline constexpr std::string_view kAlgorithm = "gss-tsig.";

// A name in uncompressed wire form, lower-cased: TSIG digests names in
// canonical form. Absolute or not, the result is absolute. Empty when a
// label is empty or too long, or the name is over 255 octets.
Bytes EncodeName(std::string_view name);

// A TKEY query carrying one GSS-API token: question key_name TKEY ANY and
// the TKEY record in the additional section, RD clear.
Bytes BuildTkeyQuery(uint16_t id, std::string_view key_name, uint32_t inception,
                     uint32_t expiration, ByteView token);

// The fields of a TSIG record that are signed, plus its MAC.
struct Tsig {
    std::string key_name;   // presentation form, absolute
    std::string algorithm;  // presentation form, absolute
    uint64_t time_signed = 0;
    uint16_t fudge = kFudge;
    Bytes mac;
    uint16_t original_id = 0;
    uint16_t error = 0;
    Bytes other;
};

// What gss_get_mic signs: for a request, the message as it is without its
// TSIG (ARCOUNT not counting it) then the TSIG variables; for a reply, the
// request's MAC (length-prefixed) first.
Bytes MicInput(ByteView request_mac, ByteView message, const Tsig& tsig);

// The message with tsig appended to its additional section.
Bytes AppendTsig(ByteView message, const Tsig& tsig);

// A reply read far enough to check it: its header, and its TSIG (the last
// additional record) split off.
struct Reply {
    uint16_t id = 0;
    uint8_t rcode = 0;  // the header's four bits
    std::optional<Tsig> tsig;
    // The reply as it was before it was signed: TSIG removed, ARCOUNT one
    // less, ID back to the TSIG's original ID. Empty without a TSIG.
    Bytes unsigned_message;
    // The TKEY of the answer section whose owner is the key name, if any.
    bool has_tkey = false;
    uint16_t tkey_mode = 0;
    uint16_t tkey_error = 0;
    Bytes tkey_token;
};

// Null when the message is not a well-formed reply: cut short, a name
// that loops or runs past the end, a TSIG anywhere but last.
std::optional<Reply> ParseReply(ByteView message, std::string_view key_name);

}  // namespace vtdns::gss
