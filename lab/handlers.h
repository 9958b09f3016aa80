// The service logic: one handler per service, each a function of the
// parsed request, the peer address and the lab's state (see services.h).
#pragma once

#include "lab/reply.h"
#include "lab/request.h"
#include "lab/state.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::lab {

Reply HandleDipDns(const Request& request, std::string_view peer, LabState& state);
Reply HandleDnsExit(const Request& request, std::string_view peer, LabState& state);
Reply HandleDyFi(const Request& request, std::string_view peer, LabState& state);
Reply HandleDynam(const Request& request, std::string_view peer, LabState& state);
Reply HandleDynup(const Request& request, std::string_view peer, LabState& state);
Reply HandleEuroDynDns(const Request& request, std::string_view peer, LabState& state);

// Four decimal parts of 0 to 255, one to three digits each.
bool IsDottedIpv4(std::string_view text);
// The query value `key` when present and non-empty, else the peer address.
std::string AddressFrom(const Request& request, const char* key, std::string_view peer);
// "a,b" -> {"a", "b"}; every entry kept, empty ones included.
std::vector<std::string> SplitList(std::string_view list, char separator = ',');

}  // namespace vantrel::lab
