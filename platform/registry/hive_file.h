// The hive file: reading it, replacing it atomically, and the lock that
// serialises writers across processes.
#pragma once

#include "hive.h"

#include <platform/registry.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <memory>
#include <string>
#include <vector>

namespace vtplatform::registry {

// A file as last seen: a rename over it changes the inode, an edit in place
// the size or time.
struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    long long mtime_ns = 0;
    bool operator==(const Stamp&) const = default;
};

// $VANTREL_REGISTRY, else ~/.local/share/vantrel/registry.reg.
std::string DefaultHivePath();

// Reads and parses the hive at path. A missing or empty file is an empty
// hive (text stays empty); an unparsable one, or one nested too deep,
// ERROR_BADDB.
LONG LoadHive(const std::string& path, Key* root, std::string* text, Stamp* stamp);

// Replaces the hive with text: a temporary file beside it, one fsync, a
// rename. Temporary files that a killed writer left, and the lock file of
// earlier versions, are removed first, so the caller must hold the HiveLock.
LONG WriteHive(const std::string& path, const std::string& text);

// The writers' lock of one hive: an exclusive flock on the hive's folder, so
// no lock file is left beside the hive. Folders made only to hold the lock
// are removed again unless a hive was written into them.
class HiveLock {
public:
    // Waits at most timeout_ms for another writer; ERROR_TIMEOUT after that.
    static LONG Acquire(const std::string& hive_path, DWORD timeout_ms,
                        std::unique_ptr<HiveLock>* lock);
    ~HiveLock();
    HiveLock(const HiveLock&) = delete;
    HiveLock& operator=(const HiveLock&) = delete;

    void KeepFolders() { m_created.clear(); }

private:
    HiveLock(int fd, std::vector<std::string> created) : m_fd(fd), m_created(std::move(created)) {}

    int m_fd;
    std::vector<std::string> m_created;  // outermost first
};

// How long a plain Reg* write waits for another process's change.
inline constexpr DWORD kDefaultLockWaitMs = 10000;

// The process's cached copy of the hive, for the plain Reg* calls.
class HiveFile {
public:
    void SetPath(std::string path);
    const std::string& Path();

    // Rereads the file when its identity, size or time changed.
    LONG Refresh();
    // Writes the cached copy over the file; the caller holds the HiveLock.
    LONG Commit();
    Key& Root() { return m_root; }
    // Forgets what was loaded, so the next Refresh rereads the file.
    void Invalidate() { m_loaded = false; }

private:
    std::string m_path;
    Key m_root;
    Stamp m_stamp;
    bool m_loaded = false;
};

}  // namespace vtplatform::registry
