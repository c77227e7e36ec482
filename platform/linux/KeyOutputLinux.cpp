// Key output on Linux: synthesised keys go out through the virtual keyboard, programs are
// started detached, and the session is locked through logind.

#include <fcntl.h>
#include <linux/input-event-codes.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/KeyCodes.h"
#include "platform/KeyInput.h"
#include "platform/linux/ArgumentSplit.h"
#include "platform/linux/NativePath.h"
#include "platform/linux/VirtualKeyboard.h"

namespace platform {
namespace {

using linux_detail::systemVirtualKeyboard;

// "~" and "~/..." name the user's home folder, as in a shell; the shipped configuration opens
// the home folder in the desktop's file manager that way.
std::string expandHome(const std::string& file) {
    if (file != "~" && file.rfind("~/", 0) != 0) {
        return file;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        return file;
    }
    return std::string(home) + file.substr(1);
}

// Starts a program that outlives us and that we never wait for: a double fork, so the
// program is re-parented to init and leaves no zombie behind.
void spawnDetached(const std::vector<std::string>& args) noexcept {
    if (args.empty()) {
        return;
    }
    std::vector<char*> argv;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        if (fork() == 0) {
            const int devnull = open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                dup2(devnull, 0);
                dup2(devnull, 1);
            }
            execvp(argv[0], argv.data());
            _exit(127);
        }
        _exit(0);
    }
    if (child > 0) {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

class LinuxKeyOutput final : public KeyOutput {
public:
    void sendKey(std::uint8_t vk, std::uint8_t, std::uint32_t flags,
                 std::uintptr_t) noexcept override {
        const std::uint16_t code = linuxKeyForVirtualKey(vk, (flags & kSendExtendedKey) != 0);
        if (code != 0) {
            systemVirtualKeyboard().emit(EV_KEY, code, (flags & kSendKeyUp) ? 0 : 1);
        }
    }

    std::uint32_t scanCodeFor(std::uint32_t code) noexcept override {
        return scanCodeForVirtualKey(code);
    }

    void openProgram(void*, const std::wstring& path,
                     const std::wstring& arguments) noexcept override {
        if (path.empty()) {
            return;
        }
        const std::string file = expandHome(linux_detail::nativePath(path));
        struct stat st {};
        const bool isProgram = file.find('/') == std::string::npos ||
                               (stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                                access(file.c_str(), X_OK) == 0);
        if (isProgram) {
            std::vector<std::string> args{file};
            for (std::string& a :
                 linux_detail::splitArguments(linux_detail::nativePath(arguments))) {
                args.push_back(std::move(a));
            }
            spawnDetached(args);
        } else {
            // A document, folder or address: the desktop's default handler opens it.
            spawnDetached({"xdg-open", file});
        }
    }

    void lockWorkstation() noexcept override { spawnDetached({"loginctl", "lock-session"}); }
};

}  // namespace

KeyOutput& systemKeyOutput() noexcept {
    static LinuxKeyOutput output;
    return output;
}

}  // namespace platform
