// One change of the registry hive made of many Reg* calls: everything the
// module writes between Begin and Commit lands in the hive at once, or not
// at all.
#pragma once

#include <platform/registry.h>

#include <memory>

namespace host {

class HiveTransaction {
public:
    // Takes the hive's writers' lock and makes HKEY_CLASSES_ROOT stand for
    // the transaction. Null after saying why on stderr.
    static std::unique_ptr<HiveTransaction> Begin(const char* command);
    // Writes the change; false after saying why on stderr.
    bool Commit();
    // Rolls back whatever was not committed.
    ~HiveTransaction();
    HiveTransaction(const HiveTransaction&) = delete;
    HiveTransaction& operator=(const HiveTransaction&) = delete;

private:
    HiveTransaction(HANDLE transaction, const char* command)
        : m_transaction(transaction), m_command(command) {}

    HANDLE m_transaction;
    const char* m_command;
};

}  // namespace host
