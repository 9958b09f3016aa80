#include "lab/accounts.h"

#include "lab/request.h"

#include <algorithm>

namespace vantrel::lab {

namespace {

std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    size_t position = 0;
    while (position < line.size()) {
        size_t start = line.find_first_not_of(" \t\r", position);
        if (start == std::string_view::npos) {
            break;
        }
        size_t end = line.find_first_of(" \t\r", start);
        words.push_back(line.substr(start, end - start));
        position = end == std::string_view::npos ? line.size() : end;
    }
    return words;
}

std::vector<std::string> SplitHosts(std::string_view list) {
    std::vector<std::string> hosts;
    while (!list.empty()) {
        size_t comma = list.find(',');
        if (std::string_view host = list.substr(0, comma); !host.empty()) {
            hosts.push_back(ToLower(host));
        }
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return hosts;
}

// One "key=value" word into the account; false names the problem.
bool ApplySetting(std::string_view word, Account& account, std::string& problem) {
    size_t equals = word.find('=');
    if (equals == std::string_view::npos) {
        problem = "expected key=value, got \"" + std::string(word) + "\"";
        return false;
    }
    std::string_view key = word.substr(0, equals);
    std::string value(word.substr(equals + 1));
    if (key == "user") {
        account.user = value;
    } else if (key == "password") {
        account.password = value;
    } else if (key == "key") {
        account.key = value;
    } else if (key == "domain") {
        account.domain = value;
    } else if (key == "hosts") {
        account.hosts = SplitHosts(value);
    } else if (key == "reply") {
        const auto& words = InfoOf(account.service).reply_words;
        if (std::find(words.begin(), words.end(), value) == words.end()) {
            problem = "no reply \"" + value + "\" in " + InfoOf(account.service).name + "'s words";
            return false;
        }
        account.reply = value;
    } else {
        problem = "unknown key \"" + std::string(key) + "\"";
        return false;
    }
    return true;
}

bool ParseLine(const std::vector<std::string_view>& words, AccountBook& book,
               std::string& problem) {
    if (words.front() == "alias") {
        const ServiceInfo* info = words.size() == 3 ? FindServiceByName(words[1]) : nullptr;
        if (info == nullptr) {
            problem = "expected: alias SERVICE HOSTNAME";
            return false;
        }
        book.aliases.push_back({info->id, ToLower(words[2])});
        return true;
    }
    const ServiceInfo* info = FindServiceByName(words.front());
    if (info == nullptr) {
        problem = "unknown service \"" + std::string(words.front()) + "\"";
        return false;
    }
    Account account;
    account.service = info->id;
    for (size_t i = 1; i < words.size(); ++i) {
        if (!ApplySetting(words[i], account, problem)) {
            return false;
        }
    }
    if (account.service == Service::kGnuDip) {
        if (account.user.empty() || account.domain.empty() || !account.hosts.empty()) {
            problem = "a gnudip account needs user= and domain=, and no hosts=";
            return false;
        }
        account.hosts.push_back(ToLower(account.user + "." + account.domain));
    } else if (account.hosts.empty()) {
        problem = "an account needs hosts=NAME[,NAME...]";
        return false;
    }
    book.accounts.push_back(std::move(account));
    return true;
}

}  // namespace

bool Account::Owns(std::string_view host) const {
    return std::find(hosts.begin(), hosts.end(), ToLower(host)) != hosts.end();
}

const Account* AccountBook::FindByHost(Service service, std::string_view host) const {
    for (const Account& account : accounts) {
        if (account.service == service && account.Owns(host)) {
            return &account;
        }
    }
    return nullptr;
}

const Account* AccountBook::FindByUser(Service service, std::string_view user) const {
    for (const Account& account : accounts) {
        if (account.service == service && !user.empty() && account.user == user) {
            return &account;
        }
    }
    return nullptr;
}

const Account* AccountBook::FindByKey(Service service, std::string_view key) const {
    for (const Account& account : accounts) {
        if (account.service == service && !key.empty() && account.key == key) {
            return &account;
        }
    }
    return nullptr;
}

const Account* AccountBook::FindByUserAndDomain(Service service, std::string_view user,
                                                std::string_view domain) const {
    for (const Account& account : accounts) {
        if (account.service == service && account.user == user && account.domain == domain) {
            return &account;
        }
    }
    return nullptr;
}

ParsedAccounts ParseAccounts(std::string_view text) {
    ParsedAccounts parsed;
    AccountBook book;
    int number = 0;
    while (!text.empty()) {
        ++number;
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = line.substr(0, line.find('#'));
        std::vector<std::string_view> words = SplitWords(line);
        if (words.empty()) {
            continue;
        }
        if (!ParseLine(words, book, parsed.error)) {
            parsed.error_line = number;
            return parsed;
        }
    }
    parsed.book = std::move(book);
    return parsed;
}

}  // namespace vantrel::lab
