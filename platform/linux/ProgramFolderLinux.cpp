#include "platform/ProgramFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/linux/NativePath.h"

namespace platform {

namespace {

bool makeFolders(const std::string& path) {
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty()) {
            continue;
        }
        if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// /usr belongs to the package manager: a program installed there never writes its settings
// beside itself, even when run as root (the files would outlive the package's removal and be
// shared by every user).
bool isSystemFolder(const std::string& path) {
    return path == "/usr" || path.rfind("/usr/", 0) == 0;
}

}  // namespace

std::wstring programFolder() {
    // /proc/self/exe names the executable even when it was started through a symbolic link
    // or a relative path.
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
        return {};
    }
    buffer.resize(static_cast<std::size_t>(n));
    const std::size_t slash = buffer.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    buffer.resize(slash);
    return linux_detail::widePath(buffer);
}

wchar_t pathSeparator() {
    return L'/';
}

std::wstring writableConfigFolder() {
    return writableConfigFolderFor(programFolder());
}

std::wstring writableConfigFolderFor(const std::wstring& folder) {
    const std::string native = linux_detail::nativePath(folder);
    if (!folder.empty() && !isSystemFolder(native) && ::access(native.c_str(), W_OK) == 0) {
        return folder;
    }
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        base = std::string(home) + "/.config";
    } else {
        return folder;
    }
    const std::string target = base + "/keyglow";
    if (!makeFolders(target)) {
        return folder;
    }
    return linux_detail::widePath(target);
}

}  // namespace platform
