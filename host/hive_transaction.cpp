#include "host/hive_transaction.h"

#include <platform/module.h>

#include <string>

#include "host/options.h"

namespace host {

namespace {

std::string HivePath() {
    char path[4096] = "";
    VtRegistryGetHiveFile(path, sizeof path);
    return path;
}

// Neither a waiting writer nor a damaged hive changes anything.
void SayWhy(const char* command, const char* what, LONG error) {
    const std::string path = HivePath();
    switch (error) {
        case ERROR_BADDB:
            Fail(command,
                 "the registry hive %s is damaged or nests keys deeper than 512 levels; "
                 "nothing was changed",
                 path.c_str());
            break;
        case ERROR_TIMEOUT:
            Fail(command, "another process kept the registry hive %s locked; nothing was changed",
                 path.c_str());
            break;
        default:
            Fail(command, "cannot %s the registry hive %s (error %ld); nothing was changed", what,
                 path.c_str(), static_cast<long>(error));
            break;
    }
}

}  // namespace

std::unique_ptr<HiveTransaction> HiveTransaction::Begin(const char* command) {
    HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    if (transaction == INVALID_HANDLE_VALUE) {
        SayWhy(command, "open", static_cast<LONG>(GetLastError()));
        return nullptr;
    }
    std::unique_ptr<HiveTransaction> result(new HiveTransaction(transaction, command));
    HKEY root = nullptr;
    LONG error = RegOpenKeyTransactedA(HKEY_CLASSES_ROOT, nullptr, 0, KEY_ALL_ACCESS, &root,
                                       transaction, nullptr);
    if (error == ERROR_SUCCESS) {
        error = RegOverridePredefKey(HKEY_CLASSES_ROOT, root);
        RegCloseKey(root);
    }
    if (error != ERROR_SUCCESS) {
        SayWhy(command, "open", error);
        return nullptr;
    }
    return result;
}

bool HiveTransaction::Commit() {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    if (!CommitTransaction(m_transaction)) {
        SayWhy(m_command, "write", static_cast<LONG>(GetLastError()));
        return false;
    }
    return true;
}

HiveTransaction::~HiveTransaction() {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    CloseHandle(m_transaction);  // rolls back an uncommitted change
}

}  // namespace host
