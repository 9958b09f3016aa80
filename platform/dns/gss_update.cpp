// A signed update: a GSS-API security context negotiated with the server
// through TKEY (RFC 3645 3.1), the UPDATE signed with it as TSIG
// "gss-tsig", and the server's signed reply checked before it is believed.
#include "gss_handles.h"
#include "gss_status.h"
#include "gss_wire.h"

#include <sys/random.h>

#include <cstdio>
#include <ctime>

namespace vtdns::gss {
namespace {

// Kerberos completes in two legs; the bound only stops a server that
// keeps asking for more.
constexpr int kMaxLegs = 8;
// How long the server may keep the key; one update needs seconds.
constexpr uint32_t kKeyLifetime = 3600;

uint16_t RandomId() {
    uint16_t id = 0;
    if (getrandom(&id, sizeof id, 0) != sizeof id) {
        id = static_cast<uint16_t>(std::time(nullptr) ^ reinterpret_cast<uintptr_t>(&id));
    }
    return id;
}

// A fresh key name for every context: the server keeps keys by name.
std::string NewKeyName() {
    uint64_t random = 0;
    if (getrandom(&random, sizeof random, 0) != sizeof random) {
        random = static_cast<uint64_t>(std::time(nullptr)) << 16 ^ RandomId();
    }
    char label[24];
    std::snprintf(label, sizeof label, "%016llx", static_cast<unsigned long long>(random));
    return std::string(label) + ".gss-tsig.";
}

// DNS/<MNAME>@<the credential's realm>, a Kerberos name as it is: taking
// it as a host-based name could have the library look the host up.
DNS_STATUS ImportTarget(const std::string& mname, const std::string& realm, Name* target) {
    std::string principal = "DNS/";
    for (char c : mname) {
        principal += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (principal.back() == '.') {
        principal.pop_back();
    }
    principal += '@' + realm;
    gss_buffer_desc text{principal.size(), principal.data()};
    OM_uint32 minor = 0;
    const OM_uint32 major = gss_import_name(&minor, &text, GSS_KRB5_NT_PRINCIPAL_NAME, target->out());
    return GSS_ERROR(major) ? SEC_E_TARGET_UNKNOWN : ERROR_SUCCESS;
}

DNS_STATUS VerifyMic(const Context& context, const Bytes& input, const Bytes& mac) {
    gss_buffer_desc message{input.size(), const_cast<uint8_t*>(input.data())};
    gss_buffer_desc token{mac.size(), const_cast<uint8_t*>(mac.data())};
    OM_uint32 minor = 0;
    const OM_uint32 major = gss_verify_mic(&minor, context.get(), &message, &token, nullptr);
    return GSS_ERROR(major) ? DNS_ERROR_RCODE_BADSIG : ERROR_SUCCESS;
}

// A TSIG'd reply: the right key, no TSIG error, a MAC the context
// accepts and a time within the fudge. request_mac is empty for a reply
// to an unsigned request.
DNS_STATUS CheckSignature(const Context& context, const Reply& reply, const std::string& key_name,
                          const Bytes& request_mac) {
    const Tsig& tsig = *reply.tsig;
    if (EncodeName(tsig.key_name) != EncodeName(key_name) ||
        EncodeName(tsig.algorithm) != EncodeName(kAlgorithm)) {
        return DNS_ERROR_RCODE_BADSIG;
    }
    if (tsig.error != 0) {
        return DNS_ERROR_RESPONSE_CODES_BASE + tsig.error;
    }
    if (tsig.mac.empty()) {
        return DNS_ERROR_RCODE_BADSIG;
    }
    const DNS_STATUS status = VerifyMic(context, MicInput(request_mac, reply.unsigned_message, tsig), tsig.mac);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const int64_t skew = static_cast<int64_t>(std::time(nullptr)) - static_cast<int64_t>(tsig.time_signed);
    if (skew > tsig.fudge || -skew > tsig.fudge) {
        return DNS_ERROR_RCODE_BADTIME;
    }
    return ERROR_SUCCESS;
}

// One TKEY leg: our token out, the server's back.
DNS_STATUS ExchangeToken(const Server& server, const std::string& key_name, const gss_buffer_desc& token,
                         Reply* reply) {
    const uint32_t now = static_cast<uint32_t>(std::time(nullptr));
    const Bytes query = BuildTkeyQuery(RandomId(), key_name, now, now + kKeyLifetime,
                                       ByteView(static_cast<const uint8_t*>(token.value), token.length));
    Bytes wire;
    // Tokens outgrow a plain UDP message (a Kerberos AP-REQ is about 700 bytes).
    const DNS_STATUS status = ExchangeWire(server, query, Transport::kTcp, &wire);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    auto parsed = ParseReply(wire, key_name);
    if (!parsed) {
        return DNS_ERROR_BAD_PACKET;
    }
    if (parsed->rcode != 0) {
        return DNS_ERROR_RESPONSE_CODES_BASE + parsed->rcode;
    }
    if (!parsed->has_tkey || parsed->tkey_mode != kTkeyModeGssapi) {
        return DNS_ERROR_BAD_PACKET;
    }
    if (parsed->tkey_error != 0) {
        return DNS_ERROR_RESPONSE_CODES_BASE + parsed->tkey_error;
    }
    *reply = std::move(*parsed);
    return ERROR_SUCCESS;
}

// Runs gss_init_sec_context against the server's TKEY answers until the
// context is complete, with the server authenticated to us as well.
DNS_STATUS Negotiate(const ContextHandle& handle, const Server& server, const Zone& zone,
                     const std::string& key_name, Context* context) {
    Name target;
    DNS_STATUS status = ImportTarget(zone.mname, handle.realm, &target);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    constexpr OM_uint32 kWanted = GSS_C_MUTUAL_FLAG | GSS_C_REPLAY_FLAG | GSS_C_SEQUENCE_FLAG | GSS_C_INTEG_FLAG;
    Reply last;
    Bytes input;
    for (int leg = 0; leg < kMaxLegs; ++leg) {
        gss_buffer_desc in{input.size(), input.data()};
        Buffer out;
        OM_uint32 minor = 0;
        OM_uint32 granted = 0;
        const OM_uint32 major = gss_init_sec_context(
            &minor, handle.credential, context->out(), target.get(), const_cast<gss_OID>(gss_mech_krb5),
            kWanted, 0, GSS_C_NO_CHANNEL_BINDINGS, leg == 0 ? GSS_C_NO_BUFFER : &in, nullptr, out.out(),
            &granted, nullptr);
        if (GSS_ERROR(major)) {
            return SecurityStatus(major, static_cast<int32_t>(minor));
        }
        if (out.get().length > 0) {
            status = ExchangeToken(server, key_name, out.get(), &last);
            if (status != ERROR_SUCCESS) {
                return status;
            }
        }
        if ((major & GSS_S_CONTINUE_NEEDED) == 0) {
            if ((granted & (GSS_C_MUTUAL_FLAG | GSS_C_INTEG_FLAG)) != (GSS_C_MUTUAL_FLAG | GSS_C_INTEG_FLAG)) {
                return SEC_E_MUTUAL_AUTH_FAILED;
            }
            // The server signs its last TKEY answer with the new context.
            if (last.tsig) {
                return CheckSignature(*context, last, key_name, {});
            }
            return ERROR_SUCCESS;
        }
        if (last.tkey_token.empty()) {
            return SEC_E_INVALID_TOKEN;
        }
        input = std::move(last.tkey_token);
        last = Reply{};
    }
    return SEC_E_INVALID_TOKEN;
}

DNS_STATUS SignAndSend(const Context& context, const Server& server, const std::string& key_name,
                       const std::vector<uint8_t>& update) {
    if (update.size() < 2) {
        return ERROR_INVALID_PARAMETER;
    }
    Tsig tsig;
    tsig.key_name = key_name;
    tsig.algorithm = kAlgorithm;
    tsig.time_signed = static_cast<uint64_t>(std::time(nullptr));
    tsig.original_id = static_cast<uint16_t>(update[0] << 8 | update[1]);
    const Bytes input = MicInput({}, update, tsig);
    gss_buffer_desc message{input.size(), const_cast<uint8_t*>(input.data())};
    Buffer mic;
    OM_uint32 minor = 0;
    const OM_uint32 major = gss_get_mic(&minor, context.get(), GSS_C_QOP_DEFAULT, &message, mic.out());
    if (GSS_ERROR(major)) {
        return SecurityStatus(major, static_cast<int32_t>(minor));
    }
    const auto* mac = static_cast<const uint8_t*>(mic.get().value);
    tsig.mac.assign(mac, mac + mic.get().length);

    Bytes wire;
    DNS_STATUS status = ExchangeWire(server, AppendTsig(update, tsig), Transport::kUdpThenTcp, &wire);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const auto reply = ParseReply(wire, key_name);
    if (!reply) {
        return DNS_ERROR_BAD_PACKET;
    }
    if (!reply->tsig) {
        // An unsigned refusal proves nothing either way, but an unsigned
        // success must never be believed.
        return reply->rcode != 0 ? DNS_ERROR_RESPONSE_CODES_BASE + reply->rcode : DNS_ERROR_RCODE_BADSIG;
    }
    status = CheckSignature(context, *reply, key_name, tsig.mac);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    return reply->rcode != 0 ? DNS_ERROR_RESPONSE_CODES_BASE + reply->rcode : ERROR_SUCCESS;
}

}  // namespace
}  // namespace vtdns::gss

namespace vtdns {

DNS_STATUS SendSecureUpdate(ContextHandle& handle, const Server& server, const Zone& zone,
                            const std::vector<uint8_t>& update) {
    try {
        const std::string key_name = gss::NewKeyName();
        gss::Context context;
        const DNS_STATUS status = gss::Negotiate(handle, server, zone, key_name, &context);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        return gss::SignAndSend(context, server, key_name, update);
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    }
}

}  // namespace vtdns
