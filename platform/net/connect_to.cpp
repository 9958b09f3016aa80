// curl's --connect-to for the host process: rules HOST:PORT -> HOST2:PORT2,
// where an empty HOST or a PORT of 0 matches any. GetAddrInfoA applies them
// to names, gethostbyname to names without a port, and plain connects and
// the DNS client to addresses through RedirectConnection.
#include "net_internal.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/socket.h>

#include <cstring>
#include <string>

namespace {

struct Rule {
    std::string host;
    USHORT port;
    std::string host2;
    USHORT port2;
};

// The names gethostbyname answered through a rule, by the address it gave,
// so a later connect to that address is matched on the name too.
struct Alias {
    uint32_t address;
    std::string name;
};

std::mutex g_lock;
std::vector<Rule> g_rules;
std::vector<Alias> g_aliases;
// Enough for the names one process redirects; the oldest goes first.
constexpr size_t kMaxAliases = 64;

bool HostMatches(const Rule& rule, std::string_view host) {
    return rule.host.empty() || (rule.host.size() == host.size() &&
                                 strncasecmp(rule.host.c_str(), host.data(), host.size()) == 0);
}

// A dotted address, or a name through the C library (IPv4 only).
bool ResolveTarget(const std::string& host, uint32_t* address) {
    in_addr numeric{};
    if (inet_pton(AF_INET, host.c_str(), &numeric) == 1) {
        *address = numeric.s_addr;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    *address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return true;
}

}  // namespace

namespace vtnet {

bool MatchConnectTo(std::string_view host, USHORT port, std::string* host2, USHORT* port2) {
    std::lock_guard<std::mutex> guard(g_lock);
    for (const Rule& rule : g_rules) {
        if (HostMatches(rule, host) && (rule.port == 0 || rule.port == port)) {
            *host2 = rule.host2.empty() ? std::string(host) : rule.host2;
            *port2 = rule.port2 != 0 ? rule.port2 : port;
            return true;
        }
    }
    return false;
}

bool ConnectToHostFor(std::string_view name, std::string* host2) {
    std::lock_guard<std::mutex> guard(g_lock);
    for (const Rule& rule : g_rules) {
        if (HostMatches(rule, name) && !rule.host2.empty()) {
            *host2 = rule.host2;
            return true;
        }
    }
    return false;
}

void RememberAlias(uint32_t address, std::string_view name) {
    std::lock_guard<std::mutex> guard(g_lock);
    // A name resolved again is remembered once, or every later connect
    // would match the same rule once per lookup.
    for (const Alias& alias : g_aliases) {
        if (alias.address == address && alias.name == name) {
            return;
        }
    }
    if (g_aliases.size() == kMaxAliases) {
        g_aliases.erase(g_aliases.begin());
    }
    g_aliases.push_back({address, std::string(name)});
}

bool RedirectConnection(uint32_t address, uint16_t port, uint32_t* address2, uint16_t* port2) {
    std::vector<std::string> names;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        for (auto it = g_aliases.rbegin(); it != g_aliases.rend(); ++it) {
            if (it->address == address) {
                names.push_back(it->name);
            }
        }
    }
    char dotted[INET_ADDRSTRLEN] = {};
    in_addr in{};
    in.s_addr = address;
    inet_ntop(AF_INET, &in, dotted, sizeof dotted);
    names.emplace_back(dotted);
    for (const std::string& name : names) {
        std::string host2;
        USHORT target_port = 0;
        if (MatchConnectTo(name, port, &host2, &target_port)) {
            if (!ResolveTarget(host2, address2)) {
                return false;
            }
            *port2 = target_port;
            return true;
        }
    }
    return false;
}

}  // namespace vtnet

extern "C" {

VT_PLATFORM_API int VtResolverAddConnectTo(LPCSTR host, USHORT port, LPCSTR host2, USHORT port2) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_rules.push_back({host != nullptr ? host : "", port, host2 != nullptr ? host2 : "", port2});
    return 0;
}

VT_PLATFORM_API void VtResolverClearConnectTo(void) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_rules.clear();
    g_aliases.clear();
}

}  // extern "C"
