// DnsModifyRecordsInSet_A: one RFC 2136 UPDATE to the given server.
#include "dns_internal.h"

extern "C" {

// FIXME: updates are not sent yet.
VT_PLATFORM_API DNS_STATUS DnsModifyRecordsInSet_A(DNS_RECORDA*, DNS_RECORDA*, DWORD, HANDLE, void*,
                                                   void*) {
    return ERROR_NOT_SUPPORTED;
}

}  // extern "C"
