// The hive file: loading when it changed, atomic replacement, and the
// advisory lock that serialises writers across processes.
#pragma once

#include "hive.h"

#include <platform/registry.h>

#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace vtplatform::registry {

class HiveFile {
public:
    void SetPath(std::string path);
    const std::string& Path();

    // Rereads the file when its identity, size or time changed; a missing or
    // empty file is an empty hive, an unparsable one ERROR_BADDB.
    LONG Refresh();
    // Writes a temporary file beside the hive, syncs it and renames it over.
    LONG Commit();
    Key& Root() { return m_root; }
    // Forgets what was loaded, so the next Refresh rereads the file.
    void Invalidate() { m_loaded = false; }

    // Holds the writers' lock for one change; Refresh after taking it.
    class WriteLock {
    public:
        explicit WriteLock(HiveFile& hive);
        ~WriteLock();
        WriteLock(const WriteLock&) = delete;
        WriteLock& operator=(const WriteLock&) = delete;
        LONG Status() const { return m_status; }

    private:
        int m_fd = -1;
        LONG m_status = ERROR_SUCCESS;
    };

private:
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        long long mtime_ns = 0;
        bool operator==(const Stamp&) const = default;
    };

    static Stamp StampOf(const struct stat& st);

    std::string m_path;
    Key m_root;
    Stamp m_stamp;
    bool m_loaded = false;
};

}  // namespace vtplatform::registry
