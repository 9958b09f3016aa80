// The services the lab stands in for, and the table that routes a request
// to one of them by the host it names.
#pragma once

#include <span>
#include <string_view>

namespace vantrel::lab {

enum class Service { kDipDns, kDnsExit, kDyFi, kDynam, kDynup, kEuroDynDns, kGnuDip };

struct Request;
struct Reply;
struct LabState;

// A handler turns one parsed request into a reply, updating the records.
// `peer` is the dotted address the request came from, which is the
// address that services without an address parameter register.
using Handler = Reply (*)(const Request& request, std::string_view peer, LabState& state);

struct ServiceInfo {
    Service id;
    const char* name;         // in account files and the record table
    const char* update_host;  // the public host the providers send to
    const char* path;         // the update path; other paths get 404
    Handler handler;
    // Refusals an account can be set to answer (reply=WORD in the accounts
    // file), so every word the providers know can be shown; empty for the
    // services without a word vocabulary.
    std::span<const char* const> reply_words;
};

// Alias lines in the accounts file add host names to a service.
std::span<const ServiceInfo> Services();
const ServiceInfo& InfoOf(Service id);
const ServiceInfo* FindServiceByName(std::string_view name);

// Routes a request: "/lab/..." paths to the lab itself, otherwise by host
// (the update host or an alias) and then by path.
Reply Dispatch(const Request& request, std::string_view peer, LabState& state);

}  // namespace vantrel::lab
