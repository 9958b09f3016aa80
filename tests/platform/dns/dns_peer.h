// A scripted DNS server on 127.0.0.1, UDP and TCP on one port the kernel
// picks. SOA questions about its zone are answered as an authoritative
// server does (the SOA for the apex; NXDOMAIN with the SOA for a name
// below it, or NOERROR without it when told to); other names are REFUSED.
// UPDATEs are answered as the test says. Every message is kept.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::testing {

enum class UpdateReply {
    kRcode,        // the given RCODE
    kSilent,       // nothing
    kTruncate,     // TC over UDP; the RCODE over TCP
    kWrongIdFirst  // REFUSED under another ID, then the RCODE
};

struct DnsMessage {
    std::vector<uint8_t> bytes;
    bool tcp;
    bool IsUpdate() const { return bytes.size() > 2 && (bytes[2] >> 3 & 0x0F) == 5; }
};

class DnsPeer {
public:
    // zone: lower-case, absolute ("vantrel.test."); "" owns no zone and
    // answers every SOA question NOERROR without records.
    explicit DnsPeer(std::string zone = "vantrel.test.");
    ~DnsPeer();
    DnsPeer(const DnsPeer&) = delete;
    DnsPeer& operator=(const DnsPeer&) = delete;

    uint16_t Port() const { return m_port; }
    void SetUpdateReply(UpdateReply how, uint8_t rcode = 0);
    // Names below the zone get NOERROR without the SOA, so only the
    // question for the apex reveals the zone.
    void HideSoaBelowApex() { m_hide_below_apex = true; }
    std::vector<DnsMessage> Received();
    std::vector<DnsMessage> Updates();

private:
    void Run();
    std::vector<std::vector<uint8_t>> Answer(const std::vector<uint8_t>& query, bool tcp);
    void ServeTcp(int fd);

    int m_udp = -1;
    int m_tcp = -1;
    int m_stop = -1;
    uint16_t m_port = 0;
    std::string m_zone;
    bool m_hide_below_apex = false;
    UpdateReply m_how = UpdateReply::kRcode;
    uint8_t m_rcode = 0;
    std::mutex m_lock;
    std::vector<DnsMessage> m_received;
    std::thread m_thread;
};

}  // namespace vantrel::testing
