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
        if (!options.commandLine.empty()) {
            options.commandLine.push_back(' ');
        }
        options.commandLine += a;
    }
    return options;
}

bool startsHidden(std::string_view commandLine) {
    return commandLine == "-hid";
}

}  // namespace kg
