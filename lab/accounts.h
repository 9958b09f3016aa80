// Accounts of the stand-in services, read from a small text file:
//
//   # comment
//   SERVICE key=VALUE ...        one account per line
//   alias SERVICE HOSTNAME       one more host name the service answers for
//
// SERVICE is a name of the service table (dipdns, dnsexit, dyfi, dynam,
// dynup, eurodyndns, gnudip). Keys: user, password, key (DipDNS), domain
// (GnuDIP), hosts (host names joined by ","), reply (DyFi and EuroDynDns: a
// refusal word of the service answered for every name, once the
// credentials are right). A GnuDIP account names its user and domain
// instead of hosts: its host is "user.domain". Values
// cannot hold white space. Host names are compared without case.
#pragma once

#include "lab/services.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::lab {

struct Account {
    Service service = Service::kDipDns;
    std::string user;
    std::string password;
    std::string key;
    std::string domain;
    std::vector<std::string> hosts;  // lower case
    std::string reply;               // empty: the service's own answers

    bool Owns(std::string_view host) const;
};

struct Alias {
    Service service = Service::kDipDns;
    std::string host;  // lower case
};

class AccountBook {
public:
    std::vector<Account> accounts;
    std::vector<Alias> aliases;

    // The account of that service holding the host name, if any.
    const Account* FindByHost(Service service, std::string_view host) const;
    const Account* FindByUser(Service service, std::string_view user) const;
    const Account* FindByKey(Service service, std::string_view key) const;
    // GnuDIP: user and domain as given, compared exactly.
    const Account* FindByUserAndDomain(Service service, std::string_view user,
                                       std::string_view domain) const;
};

struct ParsedAccounts {
    std::optional<AccountBook> book;
    int error_line = 0;  // 1-based
    std::string error;
};

ParsedAccounts ParseAccounts(std::string_view text);

}  // namespace vantrel::lab
