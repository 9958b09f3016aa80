// Everything the lab knows: the accounts it checks and the records it keeps.
#pragma once

#include "lab/accounts.h"
#include "lab/records.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

namespace vantrel::lab {

struct LabState {
    AccountBook accounts;
    RecordTable records;
    // What GET /lab/myip answers, once a test or the demo has set it;
    // until then the page answers the peer's own address.
    std::string my_address;
    // Signs the salt and time of GnuDIP's HTTP form; fresh for every lab.
    std::string secret;
    // Seconds for GnuDIP's time stamps; tests move it.
    std::function<int64_t()> clock = [] { return static_cast<int64_t>(std::time(nullptr)); };

    explicit LabState(AccountBook book);
};

}  // namespace vantrel::lab
