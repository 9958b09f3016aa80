#include "lab/services.h"

#include "lab/gnudip.h"
#include "lab/handlers.h"
#include "src/providers/gnudip/linuxrc_server.h"
#include "src/providers/http/services.h"

#include <algorithm>
#include <iterator>

namespace vantrel::lab {

namespace {

// The refusal words of the two line services. Kept here, apart from the
// providers' tables, so that a word misspelt on either side shows.
constexpr const char* kDyFiWords[] = {"badauth", "notfqdn", "nohost", "abuse", "badip", "dnserr"};
constexpr const char* kEuroDynDnsWords[] = {"badsys",  "badagent", "badauth", "!donator",
                                            "notfqdn", "nohost",   "!yours",  "abuse",
                                            "numhost", "dnserr",   "911"};

// The update hosts come from the module's own table, so the lab answers
// for exactly the names the providers send. The GnuDIP service stands for
// the LinuxRC network's server: this is its HTTP form, its TCP form has a
// listener of its own (lab/gnudip.h).
// clang-format off
constexpr ServiceInfo kServices[] = {
    {Service::kDipDns, "dipdns", kDipDnsService.update_host, "/dynamic/upd.php", HandleDipDns, {}},
    {Service::kDnsExit, "dnsexit", kDnsExitService.update_host, "/RemoteUpdate.sv", HandleDnsExit, {}},
    {Service::kDyFi, "dyfi", kDyFiService.update_host, "/nic/update", HandleDyFi, kDyFiWords},
    {Service::kDynam, "dynam", kDynamService.update_host, "/update.php", HandleDynam, {}},
    {Service::kDynup, "dynup", kDynupService.update_host, "/update/java.php3", HandleDynup, {}},
    {Service::kEuroDynDns, "eurodyndns", kEuroDynDnsService.update_host, "/update/",
     HandleEuroDynDns, kEuroDynDnsWords},
    {Service::kGnuDip, "gnudip", kLinuxRcServerHost, kGnuDipPath, HandleGnuDipHttp, {}},
};
// clang-format on

const ServiceInfo* FindServiceByHost(std::string_view host, const AccountBook& book) {
    for (const ServiceInfo& info : kServices) {
        if (host == info.update_host) {
            return &info;
        }
    }
    for (const Alias& alias : book.aliases) {
        if (host == alias.host) {
            return &InfoOf(alias.service);
        }
    }
    return nullptr;
}

// "what is my address" for a watching host: the address set with
// ?set=ADDR, else the peer's. A bad ADDR is refused and changes nothing.
Reply MyAddressPage(const Request& request, std::string_view peer, LabState& state) {
    if (std::optional<std::string> set = request.QueryValue("set")) {
        if (!IsDottedIpv4(*set)) {
            return TextReply(400, "set wants a dotted IPv4 address\n");
        }
        state.my_address = *set;
    }
    return TextReply(200, (state.my_address.empty() ? std::string(peer) : state.my_address) + "\n");
}

Reply LabPage(const Request& request, std::string_view peer, LabState& state) {
    if (request.path == "/lab/records") {
        return TextReply(200, state.records.Format());
    }
    if (request.path == "/lab/myip") {
        return MyAddressPage(request, peer, state);
    }
    return TextReply(404, "no such lab page: " + request.path + "\n");
}

}  // namespace

std::span<const ServiceInfo> Services() {
    return kServices;
}

const ServiceInfo& InfoOf(Service id) {
    return *std::find_if(std::begin(kServices), std::end(kServices),
                         [id](const ServiceInfo& info) { return info.id == id; });
}

const ServiceInfo* FindServiceByName(std::string_view name) {
    std::string lower = ToLower(name);
    for (const ServiceInfo& info : kServices) {
        if (lower == info.name) {
            return &info;
        }
    }
    return nullptr;
}

Reply Dispatch(const Request& request, std::string_view peer, LabState& state) {
    if (request.path.rfind("/lab/", 0) == 0) {
        return LabPage(request, peer, state);
    }
    const ServiceInfo* info = FindServiceByHost(request.host, state.accounts);
    if (info == nullptr) {
        return TextReply(404, "no service answers for host \"" + request.host + "\"\n");
    }
    if (request.path != info->path) {
        return TextReply(404, std::string(info->name) + " has no page " + request.path + "\n");
    }
    if (request.method != "GET") {
        Reply reply = TextReply(405, "only GET is served\n");
        reply.headers.push_back({"Allow", "GET"});
        return reply;
    }
    return info->handler(request, peer, state);
}

}  // namespace vantrel::lab
