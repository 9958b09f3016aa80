// Transactions over the hive: one write per commit, isolation from the file
// until then, HKEY_CLASSES_ROOT standing for a transacted key. Writers in
// two processes are judged by the host's hive loops.
#include "registry_fixture.h"

#include <platform/module.h>

#include <sys/stat.h>
#include <set>

namespace {

class TransactionTest : public RegistryTest {
protected:
    void TearDown() override {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegistryTest::TearDown();
    }
    static LONG Open(HANDLE transaction, const char* path, HKEY* key,
                     REGSAM access = KEY_ALL_ACCESS) {
        return RegOpenKeyTransactedA(HKEY_CLASSES_ROOT, path, 0, access, key, transaction, nullptr);
    }
    // A transaction with HKEY_CLASSES_ROOT standing for its root.
    HANDLE BeginOverride() {
        HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
        EXPECT_NE(transaction, INVALID_HANDLE_VALUE);
        HKEY root = nullptr;
        EXPECT_EQ(Open(transaction, nullptr, &root), ERROR_SUCCESS);
        EXPECT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, root), ERROR_SUCCESS);
        EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS) << "the override keeps its own copy";
        return transaction;
    }
    // Restores HKEY_CLASSES_ROOT, commits and closes.
    bool CommitOverride(HANDLE transaction) {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        bool committed = CommitTransaction(transaction);
        CloseHandle(transaction);
        return committed;
    }
    ino_t HiveInode() const {
        struct stat st {};
        return stat(m_hive.c_str(), &st) == 0 ? st.st_ino : 0;
    }
    std::set<std::string> FolderEntries() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_folder / "sub"))
            names.insert(entry.path().filename().string());
        return names;
    }
};

// Changes stay in the transaction (visible to its own reads, not to the
// file) until the commit writes them with one replacement of the file.
TEST_F(TransactionTest, CommitWritesEverythingAtOnce) {
    SetString("Old", nullptr, "kept");
    ino_t before = HiveInode();
    HANDLE transaction = BeginOverride();
    SetString("A\\B", "v", "1");
    SetString("C", nullptr, "2");
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "Old"), ERROR_SUCCESS);
    EXPECT_EQ(GetString("A\\B", "v"), "1") << "the transaction reads its own changes";
    EXPECT_EQ(HiveInode(), before) << "nothing written before the commit";
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    EXPECT_EQ(GetString("Old"), "kept") << "others read the file as it was";
    EXPECT_EQ(GetString("C"), "<error 2>");

    ASSERT_TRUE(CommitTransaction(transaction));
    EXPECT_NE(HiveInode(), before);
    EXPECT_EQ(GetString("A\\B", "v"), "1");
    EXPECT_EQ(GetString("C"), "2");
    EXPECT_EQ(GetString("Old"), "<error 2>");
    EXPECT_EQ(FolderEntries(), (std::set<std::string>{"registry.reg"}));
    EXPECT_TRUE(CloseHandle(transaction));
}

// Closing without a commit leaves the file as it was; the ended
// transaction's keys answer ERROR_TRANSACTION_NOT_ACTIVE.
TEST_F(TransactionTest, CloseWithoutCommitDiscardsChanges) {
    SetString("K", nullptr, "before");
    const std::string text = ReadHive();
    HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    HKEY key = nullptr;
    ASSERT_EQ(Open(transaction, "K", &key), ERROR_SUCCESS);
    HKEY sub = nullptr;
    ASSERT_EQ(Create("Sub", &sub, nullptr, key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(sub, "n", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2),
              ERROR_SUCCESS);
    EXPECT_TRUE(CloseHandle(transaction));
    EXPECT_EQ(RegSetValueExA(sub, "n", 0, REG_SZ, reinterpret_cast<const BYTE*>("y"), 2),
              ERROR_TRANSACTION_NOT_ACTIVE);
    EXPECT_EQ(RegCloseKey(sub), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(ReadHive(), text);
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(reinterpret_cast<HANDLE>(0x1234)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

// A transaction that changes nothing, or changes the hive back to what it
// was (a repeated registration), writes nothing; one on a hive that does
// not exist leaves no file and no folder behind.
TEST_F(TransactionTest, UnchangedHiveIsNotWritten) {
    HANDLE transaction = BeginOverride();
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(CommitOverride(transaction));
    EXPECT_FALSE(std::filesystem::exists(m_folder / "sub")) << "no trace of a missing hive";

    SetString("K", nullptr, "v");
    ino_t before = HiveInode();
    transaction = BeginOverride();
    ASSERT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "K"), ERROR_SUCCESS);
    SetString("K", nullptr, "v");
    EXPECT_TRUE(CommitOverride(transaction));
    EXPECT_EQ(HiveInode(), before);
}

// Within one process a second writer of the hive would wait for itself:
// it is refused at once instead. Readers go on reading the file.
TEST_F(TransactionTest, SecondWriterInTheProcessConflicts) {
    SetString("K", nullptr, "v");
    HANDLE first = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    HANDLE second = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    HKEY key = nullptr, other = reinterpret_cast<HKEY>(0x1234);
    ASSERT_EQ(Open(first, "K", &key), ERROR_SUCCESS);
    EXPECT_EQ(Open(second, "K", &other), ERROR_TRANSACTIONAL_CONFLICT);
    EXPECT_EQ(other, nullptr);
    HKEY plain = nullptr;
    EXPECT_EQ(Create("P", &plain), ERROR_TRANSACTIONAL_CONFLICT);
    EXPECT_EQ(GetString("K"), "v");
    EXPECT_EQ(Open(first, "Missing", &other, KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, reinterpret_cast<HKEY>(0x1234)),
              ERROR_INVALID_HANDLE);
    RegCloseKey(key);
    CloseHandle(first);
    CloseHandle(second);
    SetString("P", nullptr, "after the transaction ended");
}

// A killed writer's temporary files, and the lock file writers once used,
// go with the next write; files of other hives stay.
TEST_F(TransactionTest, NextWriteRemovesLeftovers) {
    SetString("K", nullptr, "v");
    for (const char* name : {"registry.reg.tmp-99999-1", "registry.reg.tmp-1-7",
                             "registry.reg.lock", "other.tmp-1-1", "other.reg.lock"})
        std::ofstream(m_folder / "sub" / name) << "torn";
    HANDLE transaction = BeginOverride();
    SetString("K", nullptr, "w");
    ASSERT_TRUE(CommitOverride(transaction));
    EXPECT_EQ(FolderEntries(),
              (std::set<std::string>{"other.reg.lock", "other.tmp-1-1", "registry.reg"}));
}

}  // namespace
