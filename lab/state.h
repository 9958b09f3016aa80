// Everything the lab knows: the accounts it checks and the records it keeps.
#pragma once

#include "lab/accounts.h"
#include "lab/records.h"

namespace vantrel::lab {

struct LabState {
    AccountBook accounts;
    RecordTable records;

    explicit LabState(AccountBook book) : accounts(std::move(book)) {
        records.AddHostsOf(accounts);
    }
};

}  // namespace vantrel::lab
