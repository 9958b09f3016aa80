#include "lab/records.h"

#include "lab/accounts.h"
#include "lab/request.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::lab {

void RecordTable::AddHostsOf(const AccountBook& book) {
    for (const Account& account : book.accounts) {
        for (const std::string& host : account.hosts) {
            if (Find(account.service, host) == nullptr) {
                m_records.push_back({account.service, host, "", false, 0});
            }
        }
    }
}

namespace {

template <class Records>
auto FindIn(Records& records, Service service, std::string_view host) -> decltype(&records[0]) {
    std::string lower = ToLower(host);
    auto found = std::find_if(records.begin(), records.end(), [&](const Record& record) {
        return record.service == service && record.host == lower;
    });
    return found == records.end() ? nullptr : &*found;
}

}  // namespace

const Record* RecordTable::Find(Service service, std::string_view host) const {
    return FindIn(m_records, service, host);
}

Change RecordTable::Update(Service service, std::string_view host, std::string_view address,
                           bool offline) {
    Record* record = FindIn(m_records, service, host);
    if (record == nullptr) {
        m_records.push_back({service, ToLower(host), "", false, 0});
        record = &m_records.back();
    }
    Change change = record->address == address && record->offline == offline ? Change::kUnchanged
                                                                             : Change::kChanged;
    record->address = std::string(address);
    record->offline = offline;
    ++record->updates;
    return change;
}

std::string RecordTable::Format() const {
    size_t host_width = 4;
    for (const Record& record : m_records) {
        host_width = std::max(host_width, record.host.size());
    }
    std::string table;
    auto add_row = [&](const char* service, const std::string& host, const std::string& address,
                       const char* offline, const std::string& updates) {
        char row[512];
        std::snprintf(row, sizeof row, "%-11s %-*s %-15s %-7s %s\n", service,
                      static_cast<int>(host_width), host.c_str(), address.c_str(), offline,
                      updates.c_str());
        table += row;
    };
    add_row("service", "host", "address", "offline", "updates");
    for (const Record& record : m_records) {
        add_row(InfoOf(record.service).name, record.host,
                record.address.empty() ? "-" : record.address, record.offline ? "yes" : "no",
                std::to_string(record.updates));
    }
    return table;
}

}  // namespace vantrel::lab
