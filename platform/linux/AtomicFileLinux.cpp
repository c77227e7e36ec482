#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/Diagnostics.h"
#include "platform/linux/NativePath.h"

namespace platform {

namespace {

bool writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Makes the rename itself durable; a failure here does not undo the save.
void syncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The file a save really replaces. A symbolic link (or a chain of them) is followed, so that
// the link the user set up stays and the new contents land beside its target, in the target's
// folder (a rename over the link would replace the link by a plain file). Empty for a loop or
// a link that cannot be read.
std::string resolveLinks(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current;  // the target, or a name that does not exist yet
        }
        std::string target(4096, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) {
            return {};
        }
        target.resize(static_cast<std::size_t>(n));
        if (target[0] != '/') {
            const std::size_t slash = current.rfind('/');
            if (slash != std::string::npos) {
                target = current.substr(0, slash + 1) + target;
            }
        }
        current = target;
    }
    errno = ELOOP;
    return {};
}

// Says why a save failed; the caller only learns that it did.
void logFailure(const std::string& target, const char* step, int error) {
    std::string line = "could not save " + target + " (" + step + "): " + std::strerror(error);
    line.push_back('\n');
    writeLog(LogArea::Settings, line);
}

}  // namespace

bool writeFileAtomic(const std::wstring& path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    const std::string given = linux_detail::nativePath(path);
    const std::string target = resolveLinks(given);
    if (target.empty()) {
        logFailure(given, "follow the link", errno);
        return false;
    }
    const std::string temp = target + ".tmp";

    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        logFailure(target, "create the temporary file", errno);
        return false;
    }
    // The new file gets the old one's mode and owner: a file the user made private stays so.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only the owner or root may give a file away; the contents matter more.
        }
        ::fchmod(fd, old.st_mode & 07777);
    }
    const char* failedStep = nullptr;
    if (!writeAll(fd, bytes)) {
        failedStep = "write";
    } else if (::fsync(fd) != 0) {
        failedStep = "flush";
    }
    int error = errno;
    if (::close(fd) != 0 && failedStep == nullptr) {
        failedStep = "close";
        error = errno;
    }
    if (failedStep == nullptr && ::rename(temp.c_str(), target.c_str()) != 0) {
        failedStep = "rename";
        error = errno;
    }
    if (failedStep != nullptr) {
        logFailure(target, failedStep, error);
        ::unlink(temp.c_str());
        return false;
    }
    syncFolderOf(target);
    return true;
}

}  // namespace platform
