// DnsModifyRecordsInSet_A: one RFC 2136 UPDATE to the first server of the
// list, for the zone that server reports for the first record's name.
#include <new>

#include "../net/net_internal.h"
#include "wire.h"

namespace vtdns {

namespace {

constexpr uint16_t kDnsPort = 53;
// Bounds a record chain that loops back on itself.
constexpr size_t kMaxRecords = 1024;

DNS_STATUS CollectRecords(const DNS_RECORDA* record, std::vector<ARecord>* out) {
    for (; record != nullptr; record = record->pNext) {
        if (out->size() == kMaxRecords || record->pName == nullptr ||
            record->wDataLength != sizeof(DNS_A_DATA)) {
            return ERROR_INVALID_PARAMETER;
        }
        if (record->wType != DNS_TYPE_A) {
            return ERROR_NOT_SUPPORTED;
        }
        if (!ParseName(record->pName)) {
            return ERROR_INVALID_NAME;
        }
        out->push_back({record->pName, record->Data.A.IpAddress, record->dwTtl});
    }
    return ERROR_SUCCESS;
}

Server ServerOf(const IP4_ARRAY& servers) {
    Server server{servers.AddrArray[0], kDnsPort};
    uint32_t address = 0;
    uint16_t port = 0;
    if (vtnet::RedirectConnection(server.address, server.port, &address, &port)) {
        server = {address, port};
    }
    return server;
}

// Secure updates only: signed under the caller's context, or under one
// for the process's own credentials when none was given.
DNS_STATUS SendSigned(HANDLE context, const Server& server, const Zone& zone,
                      const std::vector<uint8_t>& update) {
    HANDLE own = nullptr;
    if (context == nullptr) {
        if (DNS_STATUS status = DnsAcquireContextHandle_A(0, nullptr, &own);
            status != ERROR_SUCCESS) {
            return status;
        }
        context = own;
    }
    DNS_STATUS status =
        SendSecureUpdate(*static_cast<ContextHandle*>(context), server, zone, update);
    if (own != nullptr) {
        DnsReleaseContextHandle(own);
    }
    return status;
}

DNS_STATUS Modify(const DNS_RECORDA* add_records, const DNS_RECORDA* delete_records, DWORD options,
                  HANDLE context, const IP4_ARRAY* servers) {
    std::vector<ARecord> adds;
    std::vector<ARecord> deletes;
    if (DNS_STATUS status = CollectRecords(add_records, &adds); status != ERROR_SUCCESS) {
        return status;
    }
    if (DNS_STATUS status = CollectRecords(delete_records, &deletes); status != ERROR_SUCCESS) {
        return status;
    }
    const Server server = ServerOf(*servers);
    Zone zone;
    const std::string& name = adds.empty() ? deletes.front().name : adds.front().name;
    if (DNS_STATUS status = FindZone(server, name, &zone); status != ERROR_SUCCESS) {
        return status;
    }
    const std::vector<uint8_t> update = BuildUpdate(zone.name, deletes, adds);
    if (update.empty()) {
        return ERROR_OUTOFMEMORY;
    }
    if ((options & DNS_UPDATE_SECURITY_ONLY) != 0) {
        return SendSigned(context, server, zone, update);
    }
    std::vector<uint8_t> reply;
    if (DNS_STATUS status = ExchangeWire(server, update, Transport::kUdpThenTcp, &reply);
        status != ERROR_SUCCESS) {
        return status;
    }
    return StatusFromRcode(Rcode(reply));
}

}  // namespace

}  // namespace vtdns

extern "C" {

// The stand-in has no system list of DNS servers: a server list is needed.
VT_PLATFORM_API DNS_STATUS DnsModifyRecordsInSet_A(DNS_RECORDA* add_records,
                                                   DNS_RECORDA* delete_records, DWORD options,
                                                   HANDLE context, void* servers, void* reserved) {
    const auto* list = static_cast<const IP4_ARRAY*>(servers);
    if ((add_records == nullptr && delete_records == nullptr) || list == nullptr ||
        list->AddrCount == 0 || reserved != nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    try {
        return vtdns::Modify(add_records, delete_records, options, context, list);
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    }
}

}  // extern "C"
