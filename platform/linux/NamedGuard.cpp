#include "platform/NamedGuard.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>

namespace platform {
namespace {

// A lock file per name: flock() excludes other processes. flock() belongs to the open file,
// and a second open of the same file in this process would wait on the first, so the threads
// of one process share one open file per name behind a recursive mutex, and only the outermost
// acquisition on the owning thread takes the file lock.
struct NameLock {
    std::recursive_mutex mutex;
    int depth = 0;  // touched only by the thread holding `mutex`
    int fd = -1;
};

NameLock& nameLock(const std::string& name) {
    static std::mutex tableMutex;
    // Never destroyed: a guard may still be released while the process is exiting.
    static auto* table = new std::map<std::string, std::unique_ptr<NameLock>>();
    std::lock_guard<std::mutex> lock(tableMutex);
    std::unique_ptr<NameLock>& entry = (*table)[name];
    if (!entry) {
        entry = std::make_unique<NameLock>();
    }
    return *entry;
}

bool usableFolder(const std::string& folder) {
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid();
}

// The user's runtime folder ($XDG_RUNTIME_DIR), or a private folder in /tmp without one.
std::string lockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        const std::string folder = std::string(runtime) + "/keyglow";
        ::mkdir(folder.c_str(), 0700);
        if (usableFolder(folder)) {
            return folder;
        }
    }
    const std::string folder = "/tmp/keyglow-" + std::to_string(::getuid());
    ::mkdir(folder.c_str(), 0700);
    return usableFolder(folder) ? folder : std::string();
}

std::string lockFileName(const std::string& name) {
    std::string file;
    for (char c : name) {
        file += (c == '/' || c == '\0') ? '_' : c;
    }
    return file + ".lock";
}

int lockFile(const std::string& name) {
    const std::string folder = lockFolder();
    if (folder.empty()) {
        return -1;
    }
    const std::string path = folder + "/" + lockFileName(name);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return -1;
    }
    int result;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

NamedGuard::NamedGuard(const std::string& name) {
    NameLock& lock = nameLock(name);
    lock.mutex.lock();
    if (lock.depth == 0) {
        lock.fd = lockFile(name);
    }
    ++lock.depth;
    m_state = reinterpret_cast<std::uintptr_t>(&lock);
    m_held = lock.fd >= 0;
}

NamedGuard::~NamedGuard() {
    auto* lock = reinterpret_cast<NameLock*>(m_state);
    if (--lock->depth == 0 && lock->fd >= 0) {
        ::flock(lock->fd, LOCK_UN);
        ::close(lock->fd);
        lock->fd = -1;
    }
    lock->mutex.unlock();
}

}  // namespace platform
