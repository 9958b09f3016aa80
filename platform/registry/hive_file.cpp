#include "hive_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

namespace vtplatform::registry {

namespace {

// Closes a descriptor at the end of scope.
class UniqueFd {
public:
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() {
        if (m_fd >= 0)
            close(m_fd);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

Stamp StampOf(const struct stat& st) {
    return Stamp{st.st_dev, st.st_ino, st.st_size,
                 static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

std::string Folder(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Adds the folders it had to make to created, outermost first.
bool MakeFolders(const std::string& folder, std::vector<std::string>& created) {
    for (size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/')
            continue;
        std::string part = folder.substr(0, pos);
        if (mkdir(part.c_str(), 0755) == 0)
            created.push_back(std::move(part));
        else if (errno != EEXIST)
            return false;
    }
    return true;
}

void RemoveFolders(std::vector<std::string>& created) {
    for (auto it = created.rbegin(); it != created.rend(); ++it)
        rmdir(it->c_str());  // fails, as it should, once something else lives there
    created.clear();
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Under the lock no other writer runs, so every temporary file of this hive
// is one that a killed writer left. The "<hive>.lock" file that writers
// once locked instead of the folder goes too.
void RemoveLeftovers(const std::string& path) {
    DIR* folder = opendir(Folder(path).c_str());
    if (folder == nullptr)
        return;
    const std::string prefix = BaseName(path) + ".tmp-";
    const std::string old_lock = BaseName(path) + ".lock";
    while (const dirent* entry = readdir(folder)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0 ||
            entry->d_name == old_lock)
            unlinkat(dirfd(folder), entry->d_name, 0);
    }
    closedir(folder);
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, std::string& text) {
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (text.size() + static_cast<size_t>(n) > kMaxHiveBytes)
            return false;
        text.append(buffer, static_cast<size_t>(n));
    }
}

}  // namespace

std::string DefaultHivePath() {
    if (const char* env = std::getenv("VANTREL_REGISTRY"); env != nullptr && *env != 0)
        return env;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && *home != 0 ? home : ".") +
           "/.local/share/vantrel/registry.reg";
}

LONG LoadHive(const std::string& path, Key* root, std::string* text, Stamp* stamp) {
    text->clear();
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) {
        if (errno != ENOENT && errno != ENOTDIR)  // both mean there is no hive yet
            return ERROR_CANTREAD;
        *root = Key{};
        *stamp = Stamp{};
        return ERROR_SUCCESS;
    }
    // The stamp of the file actually read, even when a writer renames
    // another over the path meanwhile.
    struct stat st {};
    if (fstat(fd.Get(), &st) != 0)
        return ERROR_CANTREAD;
    if (static_cast<size_t>(st.st_size) > kMaxHiveBytes)
        return ERROR_BADDB;
    if (!ReadAll(fd.Get(), *text))
        return ERROR_CANTREAD;
    std::optional<Key> parsed = text->empty() ? Key{} : ParseHive(*text);
    if (!parsed)
        return ERROR_BADDB;
    *root = std::move(*parsed);
    *stamp = StampOf(st);
    return ERROR_SUCCESS;
}

// One fsync, of the new file, so the rename never exposes a torn one. The
// folder is not synced: a power loss right after may bring back the
// previous hive, whole, which is one of the two states a change may leave.
LONG WriteHive(const std::string& path, const std::string& text) {
    static std::atomic<unsigned> counter{0};
    RemoveLeftovers(path);
    std::string temp = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    UniqueFd fd(open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (fd.Get() < 0)
        return ERROR_CANTWRITE;
    bool ok = WriteAll(fd.Get(), text) && fsync(fd.Get()) == 0;
    ok = close(fd.Release()) == 0 && ok;
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return ERROR_CANTWRITE;
    }
    return ERROR_SUCCESS;
}

// flock has no timed wait, so the wait polls with a growing pause (1 to 16
// ms): a change holds the lock for a few milliseconds.
LONG HiveLock::Acquire(const std::string& hive_path, DWORD timeout_ms,
                       std::unique_ptr<HiveLock>* lock) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    const std::string folder = Folder(hive_path);
    std::vector<std::string> created;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (!MakeFolders(folder, created))
            return ERROR_CANTWRITE;
        UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.Get() < 0 && errno != ENOENT) {
            RemoveFolders(created);
            return ERROR_CANTWRITE;
        }
        bool locked = false;
        while (fd.Get() >= 0 && !(locked = flock(fd.Get(), LOCK_EX | LOCK_NB) == 0)) {
            if (errno != EWOULDBLOCK && errno != EINTR) {
                RemoveFolders(created);
                return ERROR_CANTWRITE;
            }
            if (Clock::now() >= deadline) {
                RemoveFolders(created);
                return ERROR_TIMEOUT;
            }
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, std::chrono::milliseconds(16));
        }
        // The writer before may have removed the folder it had made; then
        // the lock is on a folder that is gone, and the wait starts over.
        struct stat held {
        }, now{};
        if (locked && fstat(fd.Get(), &held) == 0 && stat(folder.c_str(), &now) == 0 &&
            SameFile(held, now)) {
            lock->reset(new HiveLock(fd.Release(), std::move(created)));
            return ERROR_SUCCESS;
        }
        if (Clock::now() >= deadline) {
            RemoveFolders(created);
            return ERROR_TIMEOUT;
        }
    }
}

HiveLock::~HiveLock() {
    RemoveFolders(m_created);  // while still locked, so no writer is inside
    close(m_fd);               // closing drops the lock
}

void HiveFile::SetPath(std::string path) {
    m_path = std::move(path);
    m_loaded = false;
}

const std::string& HiveFile::Path() {
    if (m_path.empty())
        m_path = DefaultHivePath();
    return m_path;
}

LONG HiveFile::Refresh() {
    struct stat st {};
    if (m_loaded && stat(Path().c_str(), &st) == 0 && StampOf(st) == m_stamp)
        return ERROR_SUCCESS;
    m_loaded = false;
    std::string text;
    if (LONG status = LoadHive(Path(), &m_root, &text, &m_stamp); status != ERROR_SUCCESS)
        return status;
    // A missing hive is reread every time: it has no stamp to compare.
    m_loaded = m_stamp.size >= 0;
    return ERROR_SUCCESS;
}

LONG HiveFile::Commit() {
    std::optional<std::string> text = FormatHive(m_root);
    LONG status = text ? WriteHive(Path(), *text) : ERROR_CANTWRITE;
    struct stat st {};
    // Writers hold the lock, so the file on disk is the one just written.
    m_loaded = status == ERROR_SUCCESS && stat(m_path.c_str(), &st) == 0;
    if (m_loaded)
        m_stamp = StampOf(st);
    return status;
}

}  // namespace vtplatform::registry
