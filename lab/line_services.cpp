// The two services that take Basic credentials and answer one line per
// host name, in the order the names were sent.
#include "lab/handlers.h"

namespace vantrel::lab {

namespace {

struct LineVocabulary {
    Service service;
    const char* realm;
    const char* address_key;   // null: the peer address is registered
    const char* bad_address;   // the word for an unusable address
    const char* foreign_host;  // a name held by another account
    bool takes_offline;        // "offline=yes" marks the names offline
};

constexpr LineVocabulary kDyFi = {Service::kDyFi, "dy.fi", nullptr, "badip", "nohost", true};
constexpr LineVocabulary kEuroDynDns = {
    Service::kEuroDynDns, "eurodyndns", "myip", "dnserr", "!yours", false};

std::string LineFor(const LineVocabulary& words, const Account& account, std::string_view name,
                    const std::string& address, bool offline, LabState& state) {
    if (!account.reply.empty()) {
        return account.reply;
    }
    if (name.find('.') == std::string_view::npos) {
        return "notfqdn";
    }
    if (!account.Owns(name)) {
        bool foreign = state.accounts.FindByHost(words.service, name) != nullptr;
        return foreign ? words.foreign_host : "nohost";
    }
    Change change = state.records.Update(words.service, name, address, offline);
    return (change == Change::kChanged ? "good " : "nochg ") + address;
}

// No credentials at all gets the HTTP challenge a browser would see; wrong
// ones get the service's "badauth" line.
Reply HandleLines(const LineVocabulary& words, const Request& request, std::string_view peer,
                  LabState& state) {
    std::optional<Credentials> credentials = BasicCredentials(request);
    if (!credentials) {
        Reply challenge = TextReply(401, "Authorization required\n");
        challenge.headers.push_back(
            {"WWW-Authenticate", std::string("Basic realm=\"") + words.realm + "\""});
        return challenge;
    }
    const Account* account = state.accounts.FindByUser(words.service, credentials->user);
    if (account == nullptr || account->password != credentials->password) {
        return TextReply(200, "badauth\n");
    }
    std::string address =
        words.address_key ? AddressFrom(request, words.address_key, peer) : std::string(peer);
    if (!IsDottedIpv4(address)) {
        return TextReply(200, std::string(words.bad_address) + "\n");
    }
    bool offline = words.takes_offline && request.QueryValue("offline").value_or("") == "yes";
    std::string body;
    for (const std::string& name : SplitList(request.QueryValue("hostname").value_or(""))) {
        body += LineFor(words, *account, name, address, offline, state) + "\n";
    }
    return TextReply(200, std::move(body));
}

}  // namespace

Reply HandleDyFi(const Request& request, std::string_view peer, LabState& state) {
    return HandleLines(kDyFi, request, peer, state);
}

Reply HandleEuroDynDns(const Request& request, std::string_view peer, LabState& state) {
    return HandleLines(kEuroDynDns, request, peer, state);
}

}  // namespace vantrel::lab
