#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace platform {

namespace {

// A second start may come while the first instance holds the lock but has not yet bound its
// socket (or is replacing a stale one); it retries its connection this often.
constexpr int kConnectAttempts = 40;
constexpr int kConnectRetryDelay_ms = 25;

// The folder for the lock and the socket: $XDG_RUNTIME_DIR, else a private folder in /tmp
// that must be ours and closed to everyone else (another user could otherwise plant it).
std::string runtimeDir() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (xdg != nullptr && xdg[0] == '/' && stat(xdg, &st) == 0 && S_ISDIR(st.st_mode)) {
        return xdg;
    }
    const uid_t uid = getuid();
    std::string dir = "/tmp/keyglow-" + std::to_string(uid);
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid ||
        (st.st_mode & 077) != 0) {
        return {};
    }
    return dir;
}

// A file name for `name`: its harmless characters for readability and a hash of the whole
// name, so that names differing only in other characters do not share a lock.
std::string fileStem(const std::wstring& name) {
    std::string readable;
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : name) {
        const auto unit = static_cast<std::uint32_t>(c);
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (unit >> shift) & 0xFFu;
            hash *= 1099511628211ull;
        }
        if (readable.size() < 32) {
            const bool plain = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') ||
                               (c >= L'0' && c <= L'9') || c == L'-' || c == L'_' || c == L'.';
            readable += plain ? static_cast<char>(c) : '_';
        }
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return readable + "-" + hex;
}

bool socketAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

sockaddr* asSockaddr(sockaddr_un& address) {
    return reinterpret_cast<sockaddr*>(&address);
}

// Whether some process holds the lock at `lockPath` (without taking it for longer than a check).
bool lockHeld(const std::string& lockPath) {
    const int fd = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return held;
}

}  // namespace

struct SingleInstance::State {
    int lockFd = -1;
    int listenFd = -1;
    std::string socketPath;
    bool claimed = false;
    InstanceClaim result = InstanceClaim::First;
};

SingleInstance::SingleInstance(std::wstring name)
    : m_name(std::move(name)), m_state(std::make_unique<State>()) {}

SingleInstance::~SingleInstance() {
    if (m_state->listenFd >= 0) {
        close(m_state->listenFd);
        // Still under the lock, so the socket removed is our own.
        unlink(m_state->socketPath.c_str());
    }
    if (m_state->lockFd >= 0) {
        close(m_state->lockFd);
    }
}

InstanceClaim SingleInstance::claim() {
    if (m_state->claimed || m_name.empty()) {
        return m_state->result;
    }
    m_state->claimed = true;
    const std::string dir = runtimeDir();
    if (dir.empty()) {
        return InstanceClaim::First;
    }
    const std::string stem = dir + "/" + fileStem(m_name);
    const std::string lockPath = stem + ".lock";
    const int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return InstanceClaim::First;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        if (!held) {
            return InstanceClaim::First;
        }
        activateRunning(m_name);
        m_state->result = InstanceClaim::AnotherRunning;
        return m_state->result;
    }
    m_state->lockFd = fd;

    sockaddr_un address;
    const std::string socketPath = stem + ".sock";
    if (!socketAddress(socketPath, address)) {
        return InstanceClaim::First;
    }
    // A socket file left by an instance that crashed: we hold the lock, so nobody owns it.
    unlink(socketPath.c_str());
    const int listenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd < 0) {
        return InstanceClaim::First;
    }
    if (bind(listenFd, asSockaddr(address), sizeof address) != 0 || listen(listenFd, 8) != 0) {
        close(listenFd);
        return InstanceClaim::First;
    }
    m_state->listenFd = listenFd;
    m_state->socketPath = socketPath;
    return InstanceClaim::First;
}

int SingleInstance::activationFd() const {
    return m_state->listenFd;
}

int SingleInstance::dispatch() {
    if (m_state->listenFd < 0) {
        return 0;
    }
    int requests = 0;
    for (;;) {
        const int connection = accept4(m_state->listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            break;
        }
        // The connection itself is the request to show the window.
        close(connection);
        ++requests;
        if (m_callback) {
            m_callback();
        }
    }
    return requests;
}

void SingleInstance::setActivationCallback(std::function<void()> callback) {
    m_callback = std::move(callback);
}

bool SingleInstance::markWindow(std::uintptr_t, const std::wstring&) {
    return true;
}

bool SingleInstance::unmarkWindow(std::uintptr_t, const std::wstring&) {
    return true;
}

int SingleInstance::activateRunning(const std::wstring& name) {
    if (name.empty()) {
        return 0;
    }
    const std::string dir = runtimeDir();
    if (dir.empty()) {
        return 0;
    }
    const std::string stem = dir + "/" + fileStem(name);
    sockaddr_un address;
    if (!socketAddress(stem + ".sock", address)) {
        return 0;
    }
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        // Non-blocking, so that a full backlog of a hung instance cannot block this start.
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return 0;
        }
        const int result = connect(fd, asSockaddr(address), sizeof address);
        const int error = errno;
        close(fd);
        if (result == 0) {
            return 1;
        }
        // Waiting is worth it only while a running instance holds the claim.
        if ((error != ENOENT && error != ECONNREFUSED && error != EAGAIN) ||
            !lockHeld(stem + ".lock")) {
            return 0;
        }
        poll(nullptr, 0, kConnectRetryDelay_ms);
    }
    return 0;
}

}  // namespace platform
