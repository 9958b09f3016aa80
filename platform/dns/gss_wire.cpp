// Wire forms of GSS-TSIG. Every read goes through Reader, which never
// looks past the message it was given.
#include "gss_wire.h"

#include <algorithm>

namespace vtdns::gss {
namespace {

constexpr size_t kHeaderSize = 12;
constexpr size_t kArcountOffset = 10;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string Absolute(std::string_view name) {
    std::string text(name);
    if (text.empty() || text.back() != '.') {
        text += '.';
    }
    return text;
}

void Put16(Bytes& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

void Put32(Bytes& out, uint32_t v) {
    Put16(out, static_cast<uint16_t>(v >> 16));
    Put16(out, static_cast<uint16_t>(v));
}

void Put48(Bytes& out, uint64_t v) {
    Put16(out, static_cast<uint16_t>(v >> 32));
    Put32(out, static_cast<uint32_t>(v));
}

void PutBytes(Bytes& out, ByteView bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }

// TKEY and TSIG records: class ANY, TTL 0.
void PutMetaRecord(Bytes& out, ByteView owner, uint16_t type, ByteView rdata) {
    PutBytes(out, owner);
    Put16(out, type);
    Put16(out, kClassAny);
    Put32(out, 0);
    Put16(out, static_cast<uint16_t>(rdata.size()));
    PutBytes(out, rdata);
}

// The TSIG variables after the message (RFC 8945 4.3.3).
void PutVariables(Bytes& out, const Tsig& tsig) {
    PutBytes(out, EncodeName(tsig.key_name));
    Put16(out, kClassAny);
    Put32(out, 0);
    PutBytes(out, EncodeName(tsig.algorithm));
    Put48(out, tsig.time_signed);
    Put16(out, tsig.fudge);
    Put16(out, tsig.error);
    Put16(out, static_cast<uint16_t>(tsig.other.size()));
    PutBytes(out, tsig.other);
}

class Reader {
public:
    explicit Reader(ByteView message) : m_message(message) {}

    bool Ok() const { return m_ok; }
    size_t Offset() const { return m_offset; }
    bool AtEnd() const { return m_offset == m_message.size(); }

    uint16_t U16() { return static_cast<uint16_t>(Take(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Take(4)); }
    uint64_t U48() { return Take(6); }

    Bytes Data(size_t length) {
        if (!Need(length)) {
            return {};
        }
        Bytes data(m_message.begin() + m_offset, m_message.begin() + m_offset + length);
        m_offset += length;
        return data;
    }

    // A possibly compressed name, in presentation form. Pointers must go
    // backwards, which also ends any loop.
    std::string Name() {
        std::string name;
        size_t at = m_offset;
        size_t resume = 0;
        bool jumped = false;
        for (;;) {
            if (at >= m_message.size()) {
                return Fail();
            }
            const uint8_t length = m_message[at];
            if ((length & 0xC0) == 0xC0) {
                if (at + 1 >= m_message.size()) {
                    return Fail();
                }
                const size_t target = static_cast<size_t>(length & 0x3F) << 8 | m_message[at + 1];
                if (target >= at) {
                    return Fail();
                }
                if (!jumped) {
                    resume = at + 2;
                    jumped = true;
                }
                at = target;
                continue;
            }
            if ((length & 0xC0) != 0 || at + 1 + length > m_message.size()) {
                return Fail();
            }
            if (length == 0) {
                m_offset = jumped ? resume : at + 1;
                return name.empty() ? "." : name;
            }
            name.append(reinterpret_cast<const char*>(&m_message[at + 1]), length);
            name += '.';
            if (name.size() > 255) {
                return Fail();
            }
            at += 1 + length;
        }
    }

    bool Skip(size_t length) { return Need(length) && (m_offset += length, true); }

private:
    bool Need(size_t length) {
        if (!m_ok || m_message.size() - m_offset < length) {
            m_ok = false;
            return false;
        }
        return true;
    }

    uint64_t Take(size_t bytes) {
        if (!Need(bytes)) {
            return 0;
        }
        uint64_t v = 0;
        for (size_t i = 0; i < bytes; ++i) {
            v = v << 8 | m_message[m_offset++];
        }
        return v;
    }

    std::string Fail() {
        m_ok = false;
        return {};
    }

    ByteView m_message;
    size_t m_offset = 0;
    bool m_ok = true;
};

struct RecordHeader {
    std::string name;
    uint16_t type = 0;
    size_t rdata_end = 0;
};

std::optional<RecordHeader> ReadRecordHeader(Reader& in) {
    RecordHeader record;
    record.name = in.Name();
    record.type = in.U16();
    in.U16();  // class
    in.U32();  // TTL
    const uint16_t rdlength = in.U16();
    record.rdata_end = in.Offset() + rdlength;
    if (!in.Ok()) {
        return std::nullopt;
    }
    return record;
}

bool ReadTkey(Reader& in, Reply& reply) {
    in.Name();  // algorithm
    in.U32();   // inception
    in.U32();   // expiration
    reply.tkey_mode = in.U16();
    reply.tkey_error = in.U16();
    reply.tkey_token = in.Data(in.U16());
    in.Data(in.U16());  // other data
    reply.has_tkey = in.Ok();
    return in.Ok();
}

bool ReadTsig(Reader& in, const std::string& owner, Tsig& tsig) {
    tsig.key_name = owner;
    tsig.algorithm = in.Name();
    tsig.time_signed = in.U48();
    tsig.fudge = in.U16();
    tsig.mac = in.Data(in.U16());
    tsig.original_id = in.U16();
    tsig.error = in.U16();
    tsig.other = in.Data(in.U16());
    return in.Ok();
}

}  // namespace

Bytes EncodeName(std::string_view name) {
    Bytes out;
    if (name == "." || name.empty()) {
        out.push_back(0);
        return out;
    }
    if (name.back() == '.') {
        name.remove_suffix(1);
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('.', start);
        if (end == std::string_view::npos) {
            end = name.size();
        }
        const size_t length = end - start;
        if (length == 0 || length > 63) {
            return {};
        }
        out.push_back(static_cast<uint8_t>(length));
        for (size_t i = start; i < end; ++i) {
            out.push_back(static_cast<uint8_t>(Lower(name[i])));
        }
        start = end + 1;
    }
    out.push_back(0);
    if (out.size() > 255) {
        return {};
    }
    return out;
}

Bytes BuildTkeyQuery(uint16_t id, std::string_view key_name, uint32_t inception,
                     uint32_t expiration, ByteView token) {
    const Bytes owner = EncodeName(key_name);
    Bytes out;
    Put16(out, id);
    Put16(out, 0);  // a query, opcode QUERY, RD clear
    Put16(out, 1);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 1);
    PutBytes(out, owner);
    Put16(out, kTypeTkey);
    Put16(out, kClassAny);

    Bytes rdata = EncodeName(kAlgorithm);
    Put32(rdata, inception);
    Put32(rdata, expiration);
    Put16(rdata, kTkeyModeGssapi);
    Put16(rdata, 0);
    Put16(rdata, static_cast<uint16_t>(token.size()));
    PutBytes(rdata, token);
    Put16(rdata, 0);

    PutMetaRecord(out, owner, kTypeTkey, rdata);
    return out;
}

Bytes MicInput(ByteView request_mac, ByteView message, const Tsig& tsig) {
    Bytes out;
    if (!request_mac.empty()) {
        Put16(out, static_cast<uint16_t>(request_mac.size()));
        PutBytes(out, request_mac);
    }
    PutBytes(out, message);
    PutVariables(out, tsig);
    return out;
}

Bytes AppendTsig(ByteView message, const Tsig& tsig) {
    Bytes out(message.begin(), message.end());
    if (out.size() < kHeaderSize) {
        return {};
    }
    const uint16_t arcount = static_cast<uint16_t>(out[kArcountOffset] << 8 | out[kArcountOffset + 1]) + 1;
    out[kArcountOffset] = static_cast<uint8_t>(arcount >> 8);
    out[kArcountOffset + 1] = static_cast<uint8_t>(arcount);

    Bytes rdata = EncodeName(tsig.algorithm);
    Put48(rdata, tsig.time_signed);
    Put16(rdata, tsig.fudge);
    Put16(rdata, static_cast<uint16_t>(tsig.mac.size()));
    PutBytes(rdata, tsig.mac);
    Put16(rdata, tsig.original_id);
    Put16(rdata, tsig.error);
    Put16(rdata, static_cast<uint16_t>(tsig.other.size()));
    PutBytes(rdata, tsig.other);

    PutMetaRecord(out, EncodeName(tsig.key_name), kTypeTsig, rdata);
    return out;
}

std::optional<Reply> ParseReply(ByteView message, std::string_view key_name) {
    Reader in(message);
    Reply reply;
    reply.id = in.U16();
    const uint16_t flags = in.U16();
    const uint16_t counts[4] = {in.U16(), in.U16(), in.U16(), in.U16()};
    if (!in.Ok() || (flags & 0x8000) == 0) {
        return std::nullopt;
    }
    reply.rcode = static_cast<uint8_t>(flags & 0x0F);
    for (uint16_t i = 0; i < counts[0] && in.Ok(); ++i) {
        in.Name();
        in.Skip(4);
    }
    if (!in.Ok()) {
        return std::nullopt;
    }
    const std::string key = Absolute(key_name);
    for (int section = 1; section < 4; ++section) {
        for (uint16_t i = 0; i < counts[section]; ++i) {
            const size_t start = in.Offset();
            const auto record = ReadRecordHeader(in);
            if (!record) {
                return std::nullopt;
            }
            if (record->type == kTypeTsig) {
                // Only the last record of the message may be a TSIG.
                if (section != 3 || i + 1 != counts[3] || !ReadTsig(in, record->name, reply.tsig.emplace())) {
                    return std::nullopt;
                }
                reply.unsigned_message.assign(message.begin(), message.begin() + start);
                reply.unsigned_message[0] = static_cast<uint8_t>(reply.tsig->original_id >> 8);
                reply.unsigned_message[1] = static_cast<uint8_t>(reply.tsig->original_id);
                reply.unsigned_message[kArcountOffset] = static_cast<uint8_t>((counts[3] - 1) >> 8);
                reply.unsigned_message[kArcountOffset + 1] = static_cast<uint8_t>(counts[3] - 1);
            } else if (section == 1 && record->type == kTypeTkey && SameName(record->name, key) &&
                       !reply.has_tkey) {
                if (!ReadTkey(in, reply)) {
                    return std::nullopt;
                }
            }
            if (in.Offset() > record->rdata_end || !in.Skip(record->rdata_end - in.Offset())) {
                return std::nullopt;
            }
        }
    }
    if (!in.AtEnd()) {
        return std::nullopt;
    }
    return reply;
}

}  // namespace vtdns::gss
