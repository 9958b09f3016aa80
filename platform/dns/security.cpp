// Security contexts for signed updates.
#include "dns_internal.h"

// FIXME: secure updates are not built yet; every acquisition answers
// ERROR_NOT_SUPPORTED, so no context ever reaches SendSecureUpdate.
struct vtdns::ContextHandle {};

namespace vtdns {

DNS_STATUS SendSecureUpdate(ContextHandle&, const Server&, const Zone&,
                            const std::vector<uint8_t>&) {
    return ERROR_NOT_SUPPORTED;
}

}  // namespace vtdns

extern "C" {

VT_PLATFORM_API DNS_STATUS DnsAcquireContextHandle_A(DWORD, void*, HANDLE* context) {
    if (context != nullptr) {
        *context = nullptr;
    }
    return ERROR_NOT_SUPPORTED;
}

VT_PLATFORM_API void DnsReleaseContextHandle(HANDLE context) {
    delete static_cast<vtdns::ContextHandle*>(context);
}

}  // extern "C"
