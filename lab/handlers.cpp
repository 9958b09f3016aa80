// The four services that take their credentials from the query.
#include "lab/handlers.h"

namespace vantrel::lab {

bool IsDottedIpv4(std::string_view text) {
    int parts = 0;
    while (parts < 4) {
        size_t digits = 0;
        int value = 0;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
            value = value * 10 + (text[digits] - '0');
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255) {
            return false;
        }
        text.remove_prefix(digits);
        ++parts;
        if (parts < 4) {
            if (text.empty() || text.front() != '.') {
                return false;
            }
            text.remove_prefix(1);
        }
    }
    return text.empty();
}

std::string AddressFrom(const Request& request, const char* key, std::string_view peer) {
    std::string address = request.QueryValue(key).value_or("");
    return address.empty() ? std::string(peer) : address;
}

std::vector<std::string> SplitList(std::string_view list, char separator) {
    std::vector<std::string> entries;
    for (;;) {
        size_t comma = list.find(separator);
        entries.emplace_back(list.substr(0, comma));
        if (comma == std::string_view::npos) {
            return entries;
        }
        list.remove_prefix(comma + 1);
    }
}

namespace {

Reply HtmlReply(std::string body) {
    Reply reply = TextReply(200, std::move(body));
    reply.content_type = "text/html";
    return reply;
}

}  // namespace

// Replies "Updated N hostname(s)" with N the names of the key's account
// that were updated; names of other accounts are skipped, so a partial
// update shows in the count. Nothing updated is an error.
Reply HandleDipDns(const Request& request, std::string_view peer, LabState& state) {
    constexpr const char* kError = "Error Occurred While Processing Request: ";
    const Account* account =
        state.accounts.FindByKey(Service::kDipDns, request.QueryValue("key").value_or(""));
    if (account == nullptr) {
        return HtmlReply(std::string(kError) + "unknown key\n");
    }
    std::string address = AddressFrom(request, "ip", peer);
    if (!IsDottedIpv4(address)) {
        return HtmlReply(std::string(kError) + "invalid address\n");
    }
    int updated = 0;
    for (const std::string& host : SplitList(request.QueryValue("host").value_or(""))) {
        if (account->Owns(host)) {
            state.records.Update(Service::kDipDns, host, address, false);
            ++updated;
        }
    }
    if (updated == 0) {
        return HtmlReply(std::string(kError) + "no host name of this key\n");
    }
    return HtmlReply("Updated " + std::to_string(updated) +
                     (updated == 1 ? " hostname\n" : " hostnames\n"));
}

// A first line, then "CODE=text": 0 and 1 are successes, the rest errors.
Reply HandleDnsExit(const Request& request, std::string_view peer, LabState& state) {
    auto code_reply = [](const char* code_line) {
        return TextReply(200, std::string("DnsExit update\n") + code_line);
    };
    const Account* account =
        state.accounts.FindByUser(Service::kDnsExit, request.QueryValue("login").value_or(""));
    if (account == nullptr) {
        return code_reply("3=Login not found");
    }
    if (request.QueryValue("password").value_or("") != account->password) {
        return code_reply("2=Invalid password");
    }
    std::string host = request.QueryValue("host").value_or("");
    if (!account->Owns(host)) {
        return code_reply("4=Host name not in this account");
    }
    std::string address = AddressFrom(request, "myip", peer);
    if (!IsDottedIpv4(address)) {
        return code_reply("10=Invalid IP address");
    }
    if (state.records.Update(Service::kDnsExit, host, address, false) == Change::kUnchanged) {
        return code_reply("1=IP address not changed");
    }
    return code_reply("0=Success");
}

// Text ending in "<br>": "Update" for success; "Error" or "Duplicate"
// (an update that repeats the address) for refusals.
Reply HandleDynam(const Request& request, std::string_view peer, LabState& state) {
    const Account* account =
        state.accounts.FindByUser(Service::kDynam, request.QueryValue("login").value_or(""));
    if (account == nullptr || request.QueryValue("pass").value_or("") != account->password) {
        return HtmlReply("Error: wrong login or password<br>");
    }
    // Names are echoed as the account stores them, in lower case.
    std::string host = ToLower(request.QueryValue("host").value_or(""));
    if (!account->Owns(host)) {
        return HtmlReply("Error: host name " + host + " is not in this account<br>");
    }
    std::string address = AddressFrom(request, "rmthost", peer);
    if (!IsDottedIpv4(address)) {
        return HtmlReply("Error: invalid address " + address + "<br>");
    }
    if (state.records.Update(Service::kDynam, host, address, false) == Change::kUnchanged) {
        return HtmlReply("Duplicate update: " + host + " already points to " + address + "<br>");
    }
    return HtmlReply("Update successful: " + host + " now points to " + address + "<br>");
}

// The password belongs to the host name, so an unknown name is reported
// like a wrong password. The address is the one the request came from.
Reply HandleDynup(const Request& request, std::string_view peer, LabState& state) {
    std::string host = ToLower(request.QueryValue("hostname").value_or(""));
    const Account* account = state.accounts.FindByHost(Service::kDynup, host);
    if (account == nullptr || request.QueryValue("password").value_or("") != account->password) {
        return HtmlReply("Password Incorrect");
    }
    state.records.Update(Service::kDynup, host, peer, false);
    return HtmlReply("Update complete! " + host + " now points to " + std::string(peer));
}

}  // namespace vantrel::lab
