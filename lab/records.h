// What the stand-in services remember: per host its address, its offline
// state and how many updates were accepted for it (repeats included).
#pragma once

#include "lab/services.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::lab {

class AccountBook;

struct Record {
    Service service = Service::kDipDns;
    std::string host;
    std::string address;  // empty until the first update
    bool offline = false;
    int updates = 0;
};

enum class Change { kChanged, kUnchanged };

class RecordTable {
public:
    // One empty record per host of every account, in file order.
    void AddHostsOf(const AccountBook& book);
    Change Update(Service service, std::string_view host, std::string_view address, bool offline);
    const Record* Find(Service service, std::string_view host) const;
    const std::vector<Record>& All() const { return m_records; }
    // Aligned columns: service, host, address, offline, updates.
    std::string Format() const;

private:
    std::vector<Record> m_records;
};

}  // namespace vantrel::lab
