#include "tests/kernel/KernelGuest.h"

#include <fcntl.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace kgtest {

bool inGuest() {
    const char* marker = std::getenv("KEYGLOW_VM_GUEST");
    return marker != nullptr && std::string(marker) == "1";
}

bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

void settleUdev() {
    run("udevadm settle --timeout=10");
}

std::string readSysfs(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
        if (got > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    return got < 0 ? std::string() : text;
}

bool kernelAtLeast(int major, int minor) {
    utsname name{};
    int haveMajor = 0;
    int haveMinor = 0;
    if (::uname(&name) != 0 || std::sscanf(name.release, "%d.%d", &haveMajor, &haveMinor) != 2) {
        return false;
    }
    return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}

}  // namespace kgtest
