// The keyglow program: our own options come off the command line first; what is left is the
// program's command line ("-hid" starts hidden).
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/ProgramOptions.h"
#include "app/Startup.h"

int main(int argc, char** argv) {
    // Asking for the usage or the version needs no display: answered before Qt starts.
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "--version") {
            std::fputs((a == "--help" ? kg::programUsage() : kg::programVersion()).c_str(), stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    // The main window hides itself into the tray; only its destruction ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("keyglow"));

    // Qt has taken its own options (-platform, -display, ...) off argv by now.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    const kg::ProgramOptions options = kg::parseProgramOptions(args);
    if (!options.valid) {
        std::fprintf(stderr, "keyglow: %s\n%s", options.error.c_str(), kg::programUsage().c_str());
        return 2;
    }
    kg::Startup startup(options);
    return startup.run();
}
