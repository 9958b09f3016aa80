#include "lab/state.h"

#include "lab/gnudip.h"

namespace vantrel::lab {

LabState::LabState(AccountBook book) : accounts(std::move(book)), secret(MakeSalt() + MakeSalt()) {
    records.AddHostsOf(accounts);
}

}  // namespace vantrel::lab
