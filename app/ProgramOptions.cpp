#include "app/ProgramOptions.h"

#include <charconv>

namespace kg {

ProgramOptions parseProgramOptions(const std::vector<std::string>& args) {
    ProgramOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--emulator") {
            options.emulator = true;
            continue;
        }
        if (a == "--help") {
            options.help = true;
            continue;
        }
        if (a == "--version") {
            options.version = true;
            continue;
        }
        if (a == "--screenshot" || a == "--quit-after" || a == "--command") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                options.valid = false;
                options.error = a + " needs a value";
                return options;
            }
            const std::string& value = args[++i];
            if (a == "--screenshot") {
                options.screenshotPath = QString::fromStdString(value);
                continue;
            }
            if (a == "--command") {
                options.commands.push_back(QString::fromStdString(value));
                continue;
            }
            int ms = -1;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), ms);
            if (ec != std::errc() || end != value.data() + value.size() || ms < 0) {
                options.valid = false;
                options.error =
                    "--quit-after needs a number of milliseconds, not \"" + value + "\"";
                return options;
            }
            options.quitAfter_ms = ms;
            continue;
        }
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            options.valid = false;
            options.error = "unknown option " + a;
            return options;
        }
        if (!options.commandLine.empty()) {
            options.commandLine.push_back(' ');
        }
        options.commandLine += a;
    }
    return options;
}

std::string programUsage() {
    return "usage: keyglow [-hid] [--emulator] [--screenshot FILE] [--quit-after MS]\n"
           "               [--command NAME]...\n"
           "       keyglow --help | --version\n"
           "\n"
           "  -hid               start with the main window hidden (in the tray, or minimised\n"
           "                     where the desktop has none)\n"
           "  --emulator         use the built-in emulated keyboard instead of the real one\n"
           "  --screenshot FILE  save a picture of the main window after start-up, then close\n"
           "  --quit-after MS    close the main window after MS milliseconds\n"
           "  --command NAME     raise the command of the control NAME once the window runs\n"
           "  --help             print this text\n"
           "  --version          print the version\n";
}

std::string programVersion() {
    return std::string("keyglow ") + KEYGLOW_VERSION + "\n";
}

bool startsHidden(std::string_view commandLine) {
    return commandLine == "-hid";
}

}  // namespace kg
