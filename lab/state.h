// Everything the lab knows: the accounts it checks and the records it keeps.
#pragma once

#include "lab/accounts.h"
#include "lab/records.h"

#include <string>

namespace vantrel::lab {

struct LabState {
    AccountBook accounts;
    RecordTable records;
    // What GET /lab/myip answers, once a test or the demo has set it;
    // until then the page answers the peer's own address.
    std::string my_address;

    explicit LabState(AccountBook book) : accounts(std::move(book)) {
        records.AddHostsOf(accounts);
    }
};

}  // namespace vantrel::lab
