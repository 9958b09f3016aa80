// One DNS message to one server and its reply.
#include "dns_internal.h"

namespace vtdns {

// FIXME: no transport yet; every exchange ends as if nothing answered.
DNS_STATUS ExchangeWire(const Server&, const std::vector<uint8_t>&, Transport,
                        std::vector<uint8_t>* reply) {
    reply->clear();
    return ERROR_TIMEOUT;
}

}  // namespace vtdns
