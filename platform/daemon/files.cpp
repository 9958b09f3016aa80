// Bounded file reads, durable file replacement and interface addresses.
#include <platform/daemon.h>

#include "posix_wait.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A writer killed between create and rename leaves its temporary file
// behind; the next write removes those whose process is gone.
void RemoveStaleTemporaries(const std::string& target) {
    std::unique_ptr<DIR, int (*)(DIR*)> folder(opendir(FolderOf(target).c_str()), closedir);
    if (folder == nullptr) {
        return;
    }
    const std::string prefix = BaseName(target) + ".tmp-";
    while (const dirent* entry = readdir(folder.get())) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix)) {
            continue;
        }
        const long pid = std::strtol(entry->d_name + prefix.size(), nullptr, 10);
        if (pid > 0 && pid != getpid() && kill(static_cast<pid_t>(pid), 0) != 0 &&
            errno == ESRCH) {
            unlinkat(dirfd(folder.get()), entry->d_name, 0);
        }
    }
}

}  // namespace

VtDaemonResult VtReadFile(LPCSTR path, DWORD timeout_ms, LPSTR buffer, DWORD size,
                          DWORD* length) {
    if (length != nullptr) {
        *length = 0;
    }
    if (path == nullptr || *path == '\0' || buffer == nullptr || size == 0 || length == nullptr) {
        return VT_DAEMON_INVALID_ARGUMENT;
    }
    buffer[0] = '\0';
    using namespace vtplatform::daemon;
    // Non-blocking: a FIFO without a writer opens at once and reads as
    // empty, and one whose writer is silent is waited for in poll.
    Fd file(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.fd < 0) {
        return VT_DAEMON_FAILED;
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    DWORD got = 0;
    VtDaemonResult result = VT_DAEMON_OK;
    while (got < size - 1) {
        const ssize_t n = read(file.fd, buffer + got, size - 1 - got);
        if (n > 0) {
            got += static_cast<DWORD>(n);
            continue;
        }
        if (n == 0) {
            break;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN) {
            result = VT_DAEMON_FAILED;
            break;
        }
        pollfd readable = {file.fd, POLLIN, 0};
        const int ready = poll(&readable, 1, RemainingMs(deadline));
        if (ready == 0) {
            result = VT_DAEMON_TIMEOUT;
            break;
        }
        if (ready < 0 && errno != EINTR) {
            result = VT_DAEMON_FAILED;
            break;
        }
    }
    buffer[got] = '\0';
    *length = got;
    return result;
}

VtDaemonResult VtReplaceFile(LPCSTR path, const void* data, DWORD size, DWORD mode) {
    if (path == nullptr || *path == '\0' || (data == nullptr && size != 0)) {
        return VT_DAEMON_INVALID_ARGUMENT;
    }
    static std::atomic<unsigned> counter{0};
    const std::string target = path;
    // Unique per process and call, so concurrent writers never share it.
    const std::string temporary =
        target + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  static_cast<mode_t>(mode & 07777));
    if (fd < 0) {
        return VT_DAEMON_FAILED;
    }
    // fchmod: the umask must not widen or narrow what the caller asked for.
    bool ok = fchmod(fd, static_cast<mode_t>(mode & 07777)) == 0 &&
              WriteAll(fd, static_cast<const char*>(data), size) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return VT_DAEMON_FAILED;
    }
    // The rename itself survives a crash only once the folder is synced.
    if (int folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folder >= 0) {
        fsync(folder);
        close(folder);
    }
    RemoveStaleTemporaries(target);
    return VT_DAEMON_OK;
}

VtDaemonResult VtInterfaceIpv4(LPCSTR name, LPSTR buffer, DWORD size) {
    if (buffer != nullptr && size > 0) {
        buffer[0] = '\0';
    }
    if (name == nullptr || *name == '\0' || buffer == nullptr || size < INET_ADDRSTRLEN) {
        return VT_DAEMON_INVALID_ARGUMENT;
    }
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return VT_DAEMON_FAILED;
    }
    VtDaemonResult result = VT_DAEMON_NOT_FOUND;
    for (ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            std::strcmp(entry->ifa_name, name) != 0) {
            continue;
        }
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (inet_ntop(AF_INET, &address->sin_addr, buffer, size) != nullptr) {
            result = VT_DAEMON_OK;
        }
        break;
    }
    freeifaddrs(list);
    return result;
}
