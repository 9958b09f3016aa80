#include "dns_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <stdexcept>

namespace vantrel::testing {

namespace {

constexpr uint8_t kQr = 0x80;
constexpr uint8_t kAa = 0x04;
constexpr uint8_t kTc = 0x02;

int Bind(int type, uint16_t port) {
    int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        (type == SOCK_STREAM && listen(fd, 8) != 0)) {
        if (fd >= 0) {
            close(fd);
        }
        return -1;
    }
    return fd;
}

void Put16(std::vector<uint8_t>& out, unsigned value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

// The question name (uncompressed, as queries carry it) in lower-case
// dotted form, and where the question ends.
bool ReadQuestion(const std::vector<uint8_t>& query, std::string* name, size_t* end) {
    size_t at = 12;
    name->clear();
    while (at < query.size() && query[at] != 0 && query[at] < 64) {
        for (size_t i = 1; i <= query[at] && at + i < query.size(); ++i) {
            name->push_back(static_cast<char>(std::tolower(query[at + i])));
        }
        name->push_back('.');
        at += 1 + query[at];
    }
    *end = at + 5;
    return at < query.size() && query[at] == 0 && *end <= query.size();
}

// A reply to query: header and question copied, then the SOA of the zone
// (whose name starts at zone_offset in the message) in the answer or the
// authority section, as 'section' says (0 none, 1 answer, 2 authority).
std::vector<uint8_t> Reply(const std::vector<uint8_t>& query, size_t question_end, uint8_t rcode,
                           int section, size_t zone_offset) {
    std::vector<uint8_t> out(query.begin(), query.begin() + question_end);
    out[2] = static_cast<uint8_t>((query[2] & 0x78) | kQr | kAa);
    out[3] = rcode;
    for (size_t i = 6; i < 12; ++i) {
        out[i] = 0;
    }
    if (section == 0) {
        return out;
    }
    out[section == 1 ? 7 : 9] = 1;
    const uint8_t zone_high = static_cast<uint8_t>(0xC0 | zone_offset >> 8);
    const uint8_t zone_low = static_cast<uint8_t>(zone_offset);
    const uint8_t rr[] = {zone_high, zone_low, 0, 6, 0, 1, 0, 0, 1, 44, 0, 31,
                          // MNAME ns1.<zone>, RNAME hm.<zone>, five numbers
                          3, 'n', 's', '1', zone_high, zone_low, 2, 'h', 'm', zone_high, zone_low};
    out.insert(out.end(), std::begin(rr), std::end(rr));
    for (int i = 0; i < 5; ++i) {
        out.insert(out.end(), {0, 0, 1, 44});
    }
    return out;
}

}  // namespace

DnsPeer::DnsPeer(std::string zone) : m_zone(std::move(zone)) {
    for (int attempt = 0; attempt < 20 && m_tcp < 0; ++attempt) {
        m_udp = Bind(SOCK_DGRAM, 0);
        sockaddr_in bound{};
        socklen_t length = sizeof bound;
        getsockname(m_udp, reinterpret_cast<sockaddr*>(&bound), &length);
        m_port = ntohs(bound.sin_port);
        m_tcp = Bind(SOCK_STREAM, m_port);
        if (m_tcp < 0) {
            close(m_udp);
        }
    }
    m_stop = eventfd(0, EFD_CLOEXEC);
    if (m_tcp < 0 || m_stop < 0) {
        throw std::runtime_error("DnsPeer: no port");
    }
    m_thread = std::thread([this] { Run(); });
}

DnsPeer::~DnsPeer() {
    uint64_t one = 1;
    if (write(m_stop, &one, sizeof one) == sizeof one) {
        m_thread.join();
    } else {
        m_thread.detach();
    }
    close(m_udp);
    close(m_tcp);
    close(m_stop);
}

void DnsPeer::SetUpdateReply(UpdateReply how, uint8_t rcode) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_how = how;
    m_rcode = rcode;
}

std::vector<DnsMessage> DnsPeer::Received() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_received;
}

std::vector<DnsMessage> DnsPeer::Updates() {
    std::vector<DnsMessage> updates;
    for (DnsMessage& message : Received()) {
        if (message.IsUpdate()) {
            updates.push_back(std::move(message));
        }
    }
    return updates;
}

std::vector<std::vector<uint8_t>> DnsPeer::Answer(const std::vector<uint8_t>& query, bool tcp) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_received.push_back({query, tcp});
    std::string name;
    size_t end = 0;
    if (!ReadQuestion(query, &name, &end)) {
        return {};
    }
    if (DnsMessage{query, tcp}.IsUpdate()) {
        std::vector<uint8_t> reply = Reply(query, end, m_rcode, 0, 0);
        switch (m_how) {
            case UpdateReply::kRcode:
                return {reply};
            case UpdateReply::kSilent:
                return {};
            case UpdateReply::kTruncate:
                if (!tcp) {
                    reply[2] |= kTc;
                    reply[3] = 0;
                }
                return {reply};
            case UpdateReply::kWrongIdFirst: {
                std::vector<uint8_t> other = Reply(query, end, 5, 0, 0);
                other[1] ^= 1;
                return {other, reply};
            }
        }
    }
    if (m_zone.empty()) {
        return {Reply(query, end, 0, 0, 0)};
    }
    const bool apex = name == m_zone;
    const bool below = name.size() > m_zone.size() &&
                       name.compare(name.size() - m_zone.size(), m_zone.size(), m_zone) == 0 &&
                       name[name.size() - m_zone.size() - 1] == '.';
    if (apex) {
        return {Reply(query, end, 0, 1, 12)};
    }
    if (below) {
        return {m_hide_below_apex ? Reply(query, end, 0, 0, 0)
                                  : Reply(query, end, 3, 2, 12 + name.size() - m_zone.size())};
    }
    return {Reply(query, end, 5, 0, 0)};
}

void DnsPeer::ServeTcp(int fd) {
    std::vector<uint8_t> buffer(65537);
    size_t got = 0;
    pollfd entry{fd, POLLIN, 0};
    while (poll(&entry, 1, 2000) > 0) {
        const ssize_t n = recv(fd, buffer.data() + got, buffer.size() - got, 0);
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
        if (got >= 2 && got >= 2u + (buffer[0] << 8 | buffer[1])) {
            std::vector<uint8_t> query(buffer.begin() + 2,
                                       buffer.begin() + 2 + (buffer[0] << 8 | buffer[1]));
            for (const std::vector<uint8_t>& reply : Answer(query, true)) {
                std::vector<uint8_t> framed;
                Put16(framed, static_cast<unsigned>(reply.size()));
                framed.insert(framed.end(), reply.begin(), reply.end());
                send(fd, framed.data(), framed.size(), MSG_NOSIGNAL);
            }
            break;
        }
    }
    close(fd);
}

void DnsPeer::Run() {
    std::vector<uint8_t> buffer(65536);
    for (;;) {
        pollfd entries[] = {{m_udp, POLLIN, 0}, {m_tcp, POLLIN, 0}, {m_stop, POLLIN, 0}};
        if (poll(entries, 3, -1) < 0 || entries[2].revents != 0) {
            return;
        }
        if (entries[0].revents != 0) {
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n = recvfrom(m_udp, buffer.data(), buffer.size(), 0,
                                       reinterpret_cast<sockaddr*>(&from), &length);
            if (n > 0) {
                for (const auto& reply : Answer({buffer.begin(), buffer.begin() + n}, false)) {
                    sendto(m_udp, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from),
                           length);
                }
            }
        }
        if (entries[1].revents != 0) {
            const int fd = accept4(m_tcp, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                ServeTcp(fd);
            }
        }
    }
}

}  // namespace vantrel::testing
