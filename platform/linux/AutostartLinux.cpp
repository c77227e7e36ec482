// The XDG autostart entry: a desktop entry in $XDG_CONFIG_HOME/autostart that the session
// starts when the user logs in. Desktops that let the user switch such an entry off keep the
// file and mark it ("Hidden=true", GNOME's "X-GNOME-Autostart-enabled=false").

#include "platform/Autostart.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "platform/AtomicFile.h"
#include "platform/linux/NativePath.h"

namespace platform {

namespace {

constexpr char kEntryName[] = "keyglow.desktop";
// The name of the program on the PATH once it is installed.
constexpr char kInstalledName[] = "keyglow";

std::string narrow(const std::wstring& w) {
    return linux_detail::nativePath(w);
}

std::string entryPath(const std::wstring& place) {
    return narrow(place) + "/" + kEntryName;
}

std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        return {};
    }
    return resolved;
}

// The program found as "keyglow" on the PATH, resolved; empty when there is none.
std::string installedProgram() {
    const char* path = std::getenv("PATH");
    if (path == nullptr) {
        return {};
    }
    const std::string folders(path);
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) {
            end = folders.size();
        }
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            const std::string candidate = folder + "/" + kInstalledName;
            if (::access(candidate.c_str(), X_OK) == 0) {
                return realPath(candidate);
            }
        }
        start = end + 1;
    }
    return {};
}

// A word of an Exec line: quoted when it holds anything but plain path characters, with the
// characters that stay special inside quotes escaped.
std::string execWord(const std::string& word) {
    bool plain = !word.empty();
    for (char c : word) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '/' || c == '.' || c == '_' || c == '-' ||
                        c == '+';
        plain = plain && ok;
    }
    if (plain) {
        return word;
    }
    std::string out = "\"";
    for (char c : word) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            out.push_back('\\');
        }
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

// The value of an Exec key: a desktop entry's string values escape backslashes once more, and
// a literal "%" is written "%%" (field codes start with one).
std::string execValue(const std::string& commandLine) {
    std::string out;
    for (char c : commandLine) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '%') {
            out += "%%";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const std::size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

}  // namespace

Autostart::Autostart(std::wstring place, std::wstring program)
    : m_place(std::move(place)), m_program(std::move(program)) {}

Autostart Autostart::forThisProgram() {
    std::string buffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) {
        buffer.clear();
    } else {
        buffer.resize(static_cast<std::size_t>(n));
    }
    return Autostart(defaultPlace(), linux_detail::widePath(buffer));
}

std::wstring Autostart::defaultPlace() {
    // Relative values are invalid by the XDG rules and are ignored, as desktops ignore them.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        return linux_detail::widePath(std::string(xdg) + "/autostart");
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return linux_detail::widePath(std::string(home) + "/.config/autostart");
    }
    return {};
}

std::wstring Autostart::command() const {
    const std::string program = narrow(m_program);
    // Installed, the program is started by its name, so that the entry survives a move of the
    // program folder by a later package; a build tree or a copied folder by its full path.
    const std::string installed = installedProgram();
    const bool onPath = !installed.empty() && installed == realPath(program);
    return linux_detail::widePath(
        execValue((onPath ? std::string(kInstalledName) : execWord(program)) + " -hid"));
}

bool Autostart::isEnabled() const {
    if (m_place.empty()) {
        return false;
    }
    std::ifstream in(entryPath(m_place), std::ios::binary);
    if (!in) {
        return false;
    }
    bool inMainGroup = false;
    std::string line;
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inMainGroup || equals == std::string::npos) {
            continue;
        }
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false")) {
            return false;
        }
    }
    return true;
}

bool Autostart::enable() const {
    if (m_place.empty() || m_program.empty()) {
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(narrow(m_place), ec);
    if (ec) {
        return false;
    }
    const std::string text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=KeyGlow\n"
        "Comment=Starts KeyGlow hidden in the notification area\n"
        "Exec=" +
        narrow(command()) +
        "\n"
        "Icon=keyglow\n"
        "Terminal=false\n"
        "NoDisplay=true\n"
        "X-GNOME-Autostart-enabled=true\n";
    return writeFileAtomic(m_place + L"/" + linux_detail::widePath(kEntryName), text);
}

bool Autostart::disable() const {
    if (m_place.empty()) {
        return true;
    }
    const std::string path = entryPath(m_place);
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace platform
