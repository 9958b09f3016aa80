/*
 * The DNS client API of the stand-in platform, narrow-string forms: a
 * dynamic update (RFC 2136) of resource records sent straight to a given
 * server, optionally signed under a security context.
 *
 * DnsModifyRecordsInSet_A with a server list asks the first server for the
 * SOA of the record's name, walking up one label at a time, and sends one
 * UPDATE to that server for the zone found: no prerequisites, the delete
 * list as "delete this RR" (class NONE, TTL 0), then the add list as "add
 * this RR" (class IN, the record's TTL). The query and the update go over
 * UDP (2 s a try, 3 tries), over TCP when a reply is truncated. Statuses:
 * 0 when the server answered NOERROR; 9000 + RCODE for any other answer
 * (an SOA walk that ends without a zone reports the RCODE that ended it, or
 * DNS_ERROR_RCODE_NAME_ERROR); ERROR_TIMEOUT when no answer came. Only A
 * records and a server list of IPv4 addresses are supported.
 *
 * The socket library need not be started for these calls.
 */
#ifndef PLATFORM_WINDNS_H
#define PLATFORM_WINDNS_H

#include <platform/winsock.h>

typedef LONG DNS_STATUS;
typedef DWORD IP4_ADDRESS;

#define ERROR_SUCCESS 0L
#define ERROR_OUTOFMEMORY 14L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INVALID_NAME 123L
#define ERROR_TIMEOUT 1460L

#define DNS_ERROR_RESPONSE_CODES_BASE 9000L
#define DNS_ERROR_RCODE_FORMAT_ERROR 9001L
#define DNS_ERROR_RCODE_SERVER_FAILURE 9002L
#define DNS_ERROR_RCODE_NAME_ERROR 9003L
#define DNS_ERROR_RCODE_NOT_IMPLEMENTED 9004L
#define DNS_ERROR_RCODE_REFUSED 9005L
#define DNS_ERROR_RCODE_YXDOMAIN 9006L
#define DNS_ERROR_RCODE_YXRRSET 9007L
#define DNS_ERROR_RCODE_NXRRSET 9008L
#define DNS_ERROR_RCODE_NOTAUTH 9009L
#define DNS_ERROR_RCODE_NOTZONE 9010L
#define DNS_ERROR_RCODE_BADSIG 9016L
#define DNS_ERROR_RCODE_BADKEY 9017L
#define DNS_ERROR_RCODE_BADTIME 9018L
/* A reply that could not be read. */
#define DNS_ERROR_BAD_PACKET 9502L

#define DNS_TYPE_A 0x0001

/* Update options. */
#define DNS_UPDATE_SECURITY_USE_DEFAULT 0x00000000
#define DNS_UPDATE_SECURITY_OFF 0x00000010
#define DNS_UPDATE_SECURITY_ON 0x00000020
#define DNS_UPDATE_SECURITY_ONLY 0x00000100

/* Security statuses of secure updates (Kerberos through GSS-API), as the
 * Windows security and DNS clients report them:
 *   SEC_E_LOGON_DENIED                 wrong password, unknown or disabled
 *                                      user, expired password
 *   SEC_E_NO_AUTHENTICATING_AUTHORITY  no KDC answered, or none is known
 *                                      for the realm
 *   SEC_E_NO_CREDENTIALS               null identity and no ticket cache,
 *                                      or only expired tickets in it
 *   SEC_E_TARGET_UNKNOWN               the realm has no DNS/<MNAME> service
 *   SEC_E_TIME_SKEW                    the clocks differ too much
 *   SEC_E_INVALID_TOKEN                a negotiation token was unreadable,
 *                                      or the server stopped half-way
 *   SEC_E_MUTUAL_AUTH_FAILED           the server did not prove itself
 *   SEC_E_INTERNAL_ERROR               any other GSS-API failure
 *   9000 + RCODE, or 9000 + the TKEY error (DNS_ERROR_RCODE_BADKEY ...)
 *                                      the server refused the negotiation
 *   9000 + RCODE                       the server refused the signed update
 *                                      (REFUSED 9005 for its policy)
 *   9000 + the TSIG error              the server rejected our signature
 *   DNS_ERROR_RCODE_BADSIG             the reply's signature is missing or
 *                                      wrong, so the outcome is unknown
 *   DNS_ERROR_RCODE_BADTIME            the reply was signed too long ago */
#define SEC_E_TARGET_UNKNOWN ((DNS_STATUS)0x80090303L)
#define SEC_E_INTERNAL_ERROR ((DNS_STATUS)0x80090304L)
#define SEC_E_INVALID_TOKEN ((DNS_STATUS)0x80090308L)
#define SEC_E_LOGON_DENIED ((DNS_STATUS)0x8009030CL)
#define SEC_E_NO_CREDENTIALS ((DNS_STATUS)0x8009030EL)
#define SEC_E_NO_AUTHENTICATING_AUTHORITY ((DNS_STATUS)0x80090311L)
#define SEC_E_TIME_SKEW ((DNS_STATUS)0x80090324L)
#define SEC_E_MUTUAL_AUTH_FAILED ((DNS_STATUS)0x80090363L)

/* Flags of SEC_WINNT_AUTH_IDENTITY_A. */
#define SEC_WINNT_AUTH_IDENTITY_ANSI 0x1
#define SEC_WINNT_AUTH_IDENTITY_UNICODE 0x2

typedef struct _IP4_ARRAY {
    DWORD AddrCount;
    IP4_ADDRESS AddrArray[1];
} IP4_ARRAY, *PIP4_ARRAY;

typedef struct {
    IP4_ADDRESS IpAddress;
} DNS_A_DATA;

typedef struct _DnsRecordFlags {
    DWORD Section : 2;
    DWORD Delete : 1;
    DWORD CharSet : 2;
    DWORD Unused : 3;
    DWORD Reserved : 24;
} DNS_RECORD_FLAGS;

typedef struct _DnsRecordA {
    struct _DnsRecordA* pNext;
    LPSTR pName;
    WORD wType;
    WORD wDataLength;
    union {
        DWORD DW;
        DNS_RECORD_FLAGS S;
    } Flags;
    DWORD dwTtl;
    DWORD dwReserved;
    union {
        DNS_A_DATA A;
    } Data;
} DNS_RECORDA, *PDNS_RECORDA;

/* Lengths in characters, without the terminator. */
typedef struct _SEC_WINNT_AUTH_IDENTITY_A {
    unsigned char* User;
    ULONG UserLength;
    unsigned char* Domain;
    ULONG DomainLength;
    unsigned char* Password;
    ULONG PasswordLength;
    ULONG Flags;
} SEC_WINNT_AUTH_IDENTITY_A;

VT_BEGIN_C

/* A security context for secure updates. credentials: an identity record,
 * or null for the calling process's own credentials. 0 and *context on
 * success; otherwise a status and *context null. */
VT_PLATFORM_API DNS_STATUS DnsAcquireContextHandle_A(DWORD credential_flags, void* credentials,
                                                     HANDLE* context);
VT_PLATFORM_API void DnsReleaseContextHandle(HANDLE context);

/* One dynamic update of the records of one name. options: with
 * DNS_UPDATE_SECURITY_ONLY and a context the update is signed under it;
 * otherwise it is sent unsigned and any context is ignored. servers: the
 * server list (its first address is asked, on port 53); reserved: null. */
VT_PLATFORM_API DNS_STATUS DnsModifyRecordsInSet_A(DNS_RECORDA* add_records,
                                                   DNS_RECORDA* delete_records, DWORD options,
                                                   HANDLE context, void* servers, void* reserved);

VT_END_C

#endif /* PLATFORM_WINDNS_H */
