// GetAddrInfoA over the C library's resolver, with the host process's
// connect-to overrides and Winsock's error codes.
#include "net_internal.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

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
    if (*service == '\0' || *end != '\0' || wanted > 65535) {
        return false;
    }
    USHORT port2 = 0;
    if (!vtnet::MatchConnectTo(node, static_cast<USHORT>(wanted), host, &port2)) {
        return false;
    }
    *port = std::to_string(port2);
    return true;
}

// gethostbyname's answer lives in per-thread storage, as on Windows, until
// the thread's next call.
struct HostEntry {
    std::string name;
    std::vector<uint32_t> addresses;
    std::vector<char*> list;
    char* no_aliases[1] = {nullptr};
    HOSTENT entry{};

    HOSTENT* Fill(std::string_view host, std::vector<uint32_t> found) {
        name = host;
        addresses = std::move(found);
        list.clear();
        for (uint32_t& a : addresses) {
            list.push_back(reinterpret_cast<char*>(&a));
        }
        list.push_back(nullptr);
        entry.h_name = name.data();
        entry.h_aliases = no_aliases;
        entry.h_addrtype = VT_AF_INET;
        entry.h_length = sizeof(uint32_t);
        entry.h_addr_list = list.data();
        return &entry;
    }
};

thread_local HostEntry t_host_entry;

// IPv4 addresses of name from the C library, in its order; 0 or a WSA code.
int LookUp(const char* name, std::vector<uint32_t>* found) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    int eai = getaddrinfo(name, nullptr, &hints, &result);
    int error = WsaErrorFromEai(eai, errno);
    if (error != 0) {
        return error;
    }
    for (const addrinfo* a = result; a != nullptr; a = a->ai_next) {
        found->push_back(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
    }
    freeaddrinfo(result);
    return found->empty() ? WSANO_DATA : 0;
}

}  // namespace

extern "C" {

// Only the dotted quad of four decimal parts: the older shorthand forms
// ("1.2.3", hexadecimal, octal) are refused, and so is an empty text.
VT_PLATFORM_API ULONG VtWs_inet_addr(const char* text) {
    in_addr address{};
    if (text == nullptr || inet_pton(AF_INET, text, &address) != 1) {
        return INADDR_NONE;
    }
    return address.s_addr;
}

VT_PLATFORM_API HOSTENT* VtWs_gethostbyname(const char* name) {
    if (!vtnet::IsStarted()) {
        WSASetLastError(WSANOTINITIALISED);
        return nullptr;
    }
    if (name == nullptr) {
        WSASetLastError(WSAEFAULT);
        return nullptr;
    }
    std::vector<uint32_t> found;
    in_addr numeric{};
    std::string host2;
    if (inet_pton(AF_INET, name, &numeric) == 1) {
        found.push_back(numeric.s_addr);
    } else if (vtnet::ConnectToHostFor(name, &host2)) {
        // A redirected name is never looked up itself.
        if (inet_pton(AF_INET, host2.c_str(), &numeric) == 1) {
            found.push_back(numeric.s_addr);
        } else if (int error = LookUp(host2.c_str(), &found); error != 0) {
            WSASetLastError(error);
            return nullptr;
        }
        vtnet::RememberAlias(found.front(), name);
    } else if (int error = LookUp(name, &found); error != 0) {
        WSASetLastError(error);
        return nullptr;
    }
    return t_host_entry.Fill(name, std::move(found));
}


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
        vtnet::NoteResolveFailure(error, node);
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

}  // extern "C"
