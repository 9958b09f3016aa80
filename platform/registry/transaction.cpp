// Transactions over the hive, and HKEY_CLASSES_ROOT standing for a key of
// one. A transaction binds to the hive on its first key: it takes the
// writers' lock, reads the file once, and from then on works on its own
// copy; the commit writes that copy with one atomic replacement.
#include "registry_state.h"

#include <platform/module.h>

#include <new>

namespace {

using namespace vtplatform::registry;

std::shared_ptr<Transaction> FindTransaction(State& state, HANDLE handle) {
    auto it = state.transactions.find(handle);
    return it != state.transactions.end() ? it->second : nullptr;
}

// The file is written only when the copy differs from what was read: a
// registration that deletes and recreates the same keys writes nothing.
LONG Write(State& state, Transaction& transaction) {
    if (!transaction.lock || !transaction.changed)
        return ERROR_SUCCESS;
    std::optional<std::string> text = FormatHive(transaction.root);
    if (!text)
        return ERROR_CANTWRITE;
    if (*text == transaction.loaded_text)
        return ERROR_SUCCESS;
    LONG status = WriteHive(transaction.path, *text);
    if (status == ERROR_SUCCESS) {
        transaction.lock->KeepFolders();
        if (transaction.path == state.hive.Path())
            state.hive.Invalidate();
    }
    return status;
}

// Releases the lock and the copy; keys of the transaction keep it, ended,
// until they are closed.
void End(Transaction& transaction, Transaction::Phase phase) {
    transaction.phase = phase;
    transaction.lock.reset();
    transaction.root = Key{};
    transaction.loaded_text.clear();
}

BOOL Finish(HANDLE handle, bool commit) {
    State& state = GlobalState();
    std::lock_guard guard(state.mutex);
    std::shared_ptr<Transaction> transaction = FindTransaction(state, handle);
    LONG status = ERROR_SUCCESS;
    if (transaction == nullptr)
        status = ERROR_INVALID_HANDLE;
    else if (transaction->phase != Transaction::Phase::Active)
        status = ERROR_TRANSACTION_NOT_ACTIVE;
    if (status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return 0;
    }
    if (commit)
        status = Write(state, *transaction);
    End(*transaction, commit && status == ERROR_SUCCESS ? Transaction::Phase::Committed
                                                        : Transaction::Phase::RolledBack);
    if (status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return 0;
    }
    return 1;
}

// Takes the hive's lock for a transaction and reads the hive, unless an
// earlier key did. The wait happens without the state's mutex, so other
// threads keep reading meanwhile.
LONG Bind(State& state, std::unique_lock<std::mutex>& guard,
          const std::shared_ptr<Transaction>& transaction) {
    if (transaction->lock)
        return ERROR_SUCCESS;
    std::string path = state.hive.Path();
    if (HiveHeldByTransaction(state, path))
        return ERROR_TRANSACTIONAL_CONFLICT;
    std::unique_ptr<HiveLock> lock;
    guard.unlock();
    LONG status = HiveLock::Acquire(path, transaction->timeout_ms, &lock);
    guard.lock();
    if (status != ERROR_SUCCESS)
        return status;
    if (transaction->phase != Transaction::Phase::Active)
        return ERROR_TRANSACTION_NOT_ACTIVE;
    if (transaction->lock)
        return ERROR_SUCCESS;  // another thread bound it meanwhile
    Stamp stamp;
    status = LoadHive(path, &transaction->root, &transaction->loaded_text, &stamp);
    if (status != ERROR_SUCCESS)
        return status;
    transaction->path = std::move(path);
    transaction->lock = std::move(lock);
    return ERROR_SUCCESS;
}

}  // namespace

VT_EXTERN_C VT_PLATFORM_API HANDLE CreateTransaction(void*, GUID*, DWORD, DWORD, DWORD,
                                                     DWORD timeout, WCHAR*) {
    auto transaction = std::shared_ptr<Transaction>(new (std::nothrow) Transaction{});
    if (transaction == nullptr) {
        SetLastError(ERROR_OUTOFMEMORY);
        return INVALID_HANDLE_VALUE;
    }
    // Every wait is bounded, so "no timeout" means the platform's bound.
    transaction->timeout_ms = timeout != 0 ? timeout : kDefaultLockWaitMs;
    State& state = GlobalState();
    std::lock_guard guard(state.mutex);
    HANDLE handle = transaction.get();
    state.transactions.emplace(handle, std::move(transaction));
    return handle;
}

VT_EXTERN_C VT_PLATFORM_API BOOL CommitTransaction(HANDLE transaction) {
    return Finish(transaction, true);
}

VT_EXTERN_C VT_PLATFORM_API BOOL RollbackTransaction(HANDLE transaction) {
    return Finish(transaction, false);
}

VT_EXTERN_C VT_PLATFORM_API BOOL CloseHandle(HANDLE handle) {
    State& state = GlobalState();
    std::lock_guard guard(state.mutex);
    auto it = state.transactions.find(handle);
    if (it == state.transactions.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    Transaction& transaction = *it->second;
    if (transaction.phase == Transaction::Phase::Active)
        End(transaction, Transaction::Phase::RolledBack);
    state.transactions.erase(it);
    return 1;
}

VT_EXTERN_C VT_PLATFORM_API LONG RegOpenKeyTransactedA(HKEY key, LPCSTR subkey, DWORD, REGSAM,
                                                       PHKEY result, HANDLE transaction_handle,
                                                       void* extended) {
    if (result == nullptr || extended != nullptr)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    KeyPath parts;
    if (LONG status = ParseSubkey(subkey, &parts); status != ERROR_SUCCESS)
        return status;
    State& state = GlobalState();
    std::unique_lock guard(state.mutex);
    std::shared_ptr<Transaction> transaction = FindTransaction(state, transaction_handle);
    if (transaction == nullptr)
        return ERROR_INVALID_HANDLE;
    if (transaction->phase != Transaction::Phase::Active)
        return ERROR_TRANSACTION_NOT_ACTIVE;
    if (LONG status = Bind(state, guard, transaction); status != ERROR_SUCCESS)
        return status;
    // The parent is looked up after the wait: the key it names may have
    // been deleted by the writer waited for.
    const VtRegKey* open = nullptr;
    if (LONG status = HandleKey(state, key, &open); status != ERROR_SUCCESS)
        return status;
    if (open != nullptr && open->transaction && open->transaction != transaction)
        return ERROR_TRANSACTIONAL_CONFLICT;
    if (open != nullptr && open->deleted)
        return ERROR_KEY_DELETED;
    KeyPath path = open != nullptr ? open->path : KeyPath{};
    path.insert(path.end(), parts.begin(), parts.end());
    if (Find(transaction->root, path) == nullptr)
        return ERROR_FILE_NOT_FOUND;
    return NewHandle(state, std::move(path), transaction, result);
}

VT_EXTERN_C VT_PLATFORM_API LONG RegOverridePredefKey(HKEY key, HKEY new_key) {
    if (key != HKEY_CLASSES_ROOT)
        return ERROR_INVALID_HANDLE;
    State& state = GlobalState();
    std::lock_guard guard(state.mutex);
    if (new_key == nullptr) {
        state.classes_root.reset();
        return ERROR_SUCCESS;
    }
    if (new_key == HKEY_CLASSES_ROOT || state.handles.count(new_key) == 0)
        return ERROR_INVALID_HANDLE;
    auto* copy = new (std::nothrow) VtRegKey(*new_key);
    if (copy == nullptr)
        return ERROR_OUTOFMEMORY;
    state.classes_root.reset(copy);
    return ERROR_SUCCESS;
}
