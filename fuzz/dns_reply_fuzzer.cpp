// A reply to the DNS client's SOA query: matched to the query (under the
// query's ID, so the question checks run), then read for the zone.
#include "dns/wire.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vtdns;
    static const Dname name = ParseName("host.vantrel.test");
    static const std::vector<uint8_t> query = BuildSoaQuery(*name);
    std::vector<uint8_t> reply(data, data + size);
    if (size >= 2) {
        reply[0] = query[0];
        reply[1] = query[1];
    }
    if (ReplyMatches(query, reply)) {
        // A match guarantees the header these read.
        static_cast<void>(IsTruncated(reply));
        static_cast<void>(Rcode(reply));
    }
    Zone zone;
    if (ReadSoaReply(reply, *name, &zone) == SoaReply::kFound && zone.name.empty()) {
        __builtin_trap();
    }
    return 0;
}
