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
    const std::string target = linux_detail::nativePath(path);
    const std::string temp = linux_detail::nativePath(temporaryPathFor(path));

    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        logFailure(target, "create the temporary file", errno);
        return false;
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
