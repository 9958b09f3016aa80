// The lab's readers of outside text. First byte: 0 a request head, with
// the lookups the handlers make on it; 1 an accounts file.
#include "lab/accounts.h"
#include "lab/request.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace vantrel::lab;

namespace {

void RequestHead(std::string_view data) {
    std::optional<size_t> end = FindHeadEnd(data);
    if (end && *end > data.size()) std::abort();
    ParsedRequest parsed = ParseRequest(end ? data.substr(0, *end) : data);
    if (!parsed.request) {
        return;
    }
    const Request& request = *parsed.request;
    for (const char* key : {"hostname", "myip", "password", "ip", "", "user"}) {
        request.QueryValue(key);
    }
    request.HeaderValue("Authorization");
    BasicCredentials(request);
    if (request.path.empty()) std::abort();
}

void AccountsFile(std::string_view data) {
    ParsedAccounts parsed = ParseAccounts(data);
    if (!parsed.book) {
        if (parsed.error_line < 1) std::abort();
        return;
    }
    for (const Account& account : parsed.book->accounts) {
        for (const std::string& host : account.hosts) {
            if (parsed.book->FindByHost(account.service, host) == nullptr) std::abort();
        }
        parsed.book->FindByUser(account.service, account.user);
        parsed.book->FindByKey(account.service, account.key);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 2) {
        case 0: RequestHead(text); break;
        case 1: AccountsFile(text); break;
    }
    return 0;
}
