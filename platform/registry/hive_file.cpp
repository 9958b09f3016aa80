#include "hive_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

namespace vtplatform::registry {

namespace {

// A hive larger than this is not one the platform wrote.
constexpr off_t kMaxHiveBytes = 64 << 20;

std::string DefaultPath() {
    if (const char* env = std::getenv("VANTREL_REGISTRY"); env != nullptr && *env != 0)
        return env;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && *home != 0 ? home : ".") +
           "/.local/share/vantrel/registry.reg";
}

std::string Folder(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeFolders(const std::string& folder) {
    for (size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/')
            continue;
        std::string part = folder.substr(0, pos);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
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
        if (text.size() + static_cast<size_t>(n) > static_cast<size_t>(kMaxHiveBytes))
            return false;
        text.append(buffer, static_cast<size_t>(n));
    }
}

}  // namespace

HiveFile::Stamp HiveFile::StampOf(const struct stat& st) {
    return Stamp{st.st_dev, st.st_ino, st.st_size,
                 static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec};
}

void HiveFile::SetPath(std::string path) {
    m_path = std::move(path);
    m_loaded = false;
}

const std::string& HiveFile::Path() {
    if (m_path.empty())
        m_path = DefaultPath();
    return m_path;
}

LONG HiveFile::Refresh() {
    struct stat st {};
    if (stat(Path().c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)  // both mean there is no hive yet
            return ERROR_CANTREAD;
        m_root = Key{};
        m_stamp = Stamp{};
        m_loaded = true;
        return ERROR_SUCCESS;
    }
    Stamp stamp = StampOf(st);
    if (m_loaded && stamp == m_stamp)
        return ERROR_SUCCESS;
    m_loaded = false;
    if (st.st_size > kMaxHiveBytes)
        return ERROR_BADDB;
    int fd = open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ERROR_CANTREAD;
    std::string text;
    bool read_ok = ReadAll(fd, text);
    close(fd);
    if (!read_ok)
        return ERROR_CANTREAD;
    std::optional<Key> parsed = text.empty() ? Key{} : ParseHive(text);
    if (!parsed)
        return ERROR_BADDB;
    m_root = std::move(*parsed);
    m_stamp = stamp;
    m_loaded = true;
    return ERROR_SUCCESS;
}

LONG HiveFile::Commit() {
    static std::atomic<unsigned> counter{0};
    const std::string& path = Path();
    std::string folder = Folder(path);
    if (!MakeFolders(folder))
        return ERROR_CANTWRITE;
    std::string temp = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return ERROR_CANTWRITE;
    bool ok = WriteAll(fd, FormatHive(m_root)) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        m_loaded = false;  // memory is ahead of the file now; reread it
        return ERROR_CANTWRITE;
    }
    // The rename itself survives a crash only once the folder is synced.
    if (int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        fsync(dir);
        close(dir);
    }
    // Writers hold the lock, so the file on disk is the one just written.
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        m_loaded = false;
        return ERROR_SUCCESS;
    }
    m_stamp = StampOf(st);
    m_loaded = true;
    return ERROR_SUCCESS;
}

HiveFile::WriteLock::WriteLock(HiveFile& hive) {
    const std::string& path = hive.Path();
    if (!MakeFolders(Folder(path))) {
        m_status = ERROR_CANTWRITE;
        return;
    }
    m_fd = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        m_status = ERROR_CANTWRITE;
        return;
    }
    while (flock(m_fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            m_status = ERROR_CANTWRITE;
            return;
        }
    }
}

HiveFile::WriteLock::~WriteLock() {
    if (m_fd >= 0)
        close(m_fd);  // closing drops the lock
}

}  // namespace vtplatform::registry
