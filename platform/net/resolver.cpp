// GetAddrInfoA over the C library's resolver, with the host process's
// connect-to overrides and Winsock's error codes.
#include "net_internal.h"

#include <netdb.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct ConnectTo {
    std::string host;
    USHORT port;
    std::string host2;
    USHORT port2;
};

std::mutex g_overrides_lock;
std::vector<ConnectTo>& Overrides() {
    static std::vector<ConnectTo> overrides;
    return overrides;
}

// The resolver boundary's one translation: EAI_* to Winsock's codes.
int WsaErrorFromEai(int eai, int saved_errno) {
    switch (eai) {
    case 0:
        return 0;
    case EAI_NONAME:
        return WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return WSATRY_AGAIN;
    case EAI_FAIL:
        return WSANO_RECOVERY;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return WSANO_DATA;
#endif
    case EAI_FAMILY:
        return WSAEAFNOSUPPORT;
    case EAI_SOCKTYPE:
        return WSAESOCKTNOSUPPORT;
    case EAI_SERVICE:
        return WSATYPE_NOT_FOUND;
    case EAI_BADFLAGS:
        return WSAEINVAL;
    case EAI_MEMORY:
        return WSA_NOT_ENOUGH_MEMORY;
    case EAI_SYSTEM:
        return VtWsaErrorFromErrno(saved_errno);
    default:
        return WSANO_RECOVERY;
    }
}

int PosixFamily(int family) {
    return family == VT_AF_INET6 ? PF_INET6 : family == VT_AF_INET ? PF_INET : PF_UNSPEC;
}

int WindowsFamily(int family) {
    return family == PF_INET6 ? VT_AF_INET6 : family == PF_INET ? VT_AF_INET : family;
}

// Copies one result into memory the stand-in owns: a node, its address
// (family in Windows numbering) and nothing else.
ADDRINFOA* CopyNode(const addrinfo* from) {
    size_t size = sizeof(ADDRINFOA) + from->ai_addrlen;
    auto* node = static_cast<ADDRINFOA*>(std::calloc(1, size));
    if (node == nullptr) {
        return nullptr;
    }
    node->ai_flags = from->ai_flags;
    node->ai_family = WindowsFamily(from->ai_family);
    node->ai_socktype = from->ai_socktype;
    node->ai_protocol = from->ai_protocol;
    node->ai_addrlen = from->ai_addrlen;
    node->ai_addr = reinterpret_cast<SOCKADDR*>(node + 1);
    std::memcpy(node->ai_addr, from->ai_addr, from->ai_addrlen);
    node->ai_addr->sa_family = static_cast<USHORT>(node->ai_family);
    return node;
}

// The override for node:service, if the host process set one.
bool Override(LPCSTR node, LPCSTR service, std::string* host, std::string* port) {
    if (node == nullptr || service == nullptr) {
        return false;
    }
    char* end = nullptr;
    unsigned long wanted = std::strtoul(service, &end, 10);
    if (*service == '\0' || *end != '\0') {
        return false;
    }
    std::lock_guard<std::mutex> guard(g_overrides_lock);
    for (const ConnectTo& c : Overrides()) {
        if (strcasecmp(c.host.c_str(), node) == 0 && c.port == wanted) {
            *host = c.host2.empty() ? node : c.host2;
            *port = std::to_string(c.port2 != 0 ? c.port2 : c.port);
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" {

VT_PLATFORM_API int GetAddrInfoA(LPCSTR node, LPCSTR service, const ADDRINFOA* hints,
                                 ADDRINFOA** result) {
    if (result == nullptr) {
        WSASetLastError(WSAEFAULT);
        return WSAEFAULT;
    }
    *result = nullptr;
    if (!vtnet::IsStarted()) {
        WSASetLastError(WSANOTINITIALISED);
        return WSANOTINITIALISED;
    }
    std::string host;
    std::string port;
    if (Override(node, service, &host, &port)) {
        node = host.c_str();
        service = port.c_str();
    }
    addrinfo posix_hints{};
    if (hints != nullptr) {
        posix_hints.ai_flags = hints->ai_flags;
        posix_hints.ai_family = PosixFamily(hints->ai_family);
        posix_hints.ai_socktype = hints->ai_socktype;
        posix_hints.ai_protocol = hints->ai_protocol;
    }
    addrinfo* found = nullptr;
    int eai = getaddrinfo(node, service, hints != nullptr ? &posix_hints : nullptr, &found);
    int error = WsaErrorFromEai(eai, errno);
    if (error != 0) {
        WSASetLastError(error);
        return error;
    }
    ADDRINFOA** tail = result;
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        *tail = CopyNode(a);
        if (*tail == nullptr) {
            freeaddrinfo(found);
            FreeAddrInfoA(*result);
            *result = nullptr;
            WSASetLastError(WSA_NOT_ENOUGH_MEMORY);
            return WSA_NOT_ENOUGH_MEMORY;
        }
        tail = &(*tail)->ai_next;
    }
    freeaddrinfo(found);
    return 0;
}

VT_PLATFORM_API void FreeAddrInfoA(ADDRINFOA* info) {
    while (info != nullptr) {
        ADDRINFOA* next = info->ai_next;
        std::free(info);
        info = next;
    }
}

VT_PLATFORM_API int VtResolverAddConnectTo(LPCSTR host, USHORT port, LPCSTR host2, USHORT port2) {
    if (host == nullptr || *host == '\0') {
        return WSAEINVAL;
    }
    std::lock_guard<std::mutex> guard(g_overrides_lock);
    Overrides().push_back({host, port, host2 != nullptr ? host2 : "", port2});
    return 0;
}

VT_PLATFORM_API void VtResolverClearConnectTo(void) {
    std::lock_guard<std::mutex> guard(g_overrides_lock);
    Overrides().clear();
}

}  // extern "C"
