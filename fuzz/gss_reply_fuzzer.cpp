// A server's reply to a TKEY query or a signed update: read it, and if it
// is signed, lay out what its MIC would cover.
#include "dns/gss_wire.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vtdns::gss;
    const auto reply = ParseReply(ByteView(data, size), "k.gss-tsig.");
    if (reply && reply->tsig) {
        const Bytes input = MicInput(reply->tsig->mac, reply->unsigned_message, *reply->tsig);
        if (input.size() < reply->unsigned_message.size()) {
            __builtin_trap();
        }
    }
    return 0;
}
