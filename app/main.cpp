// The keyglow program: our own options come off the command line first; what is left is the
// program's command line ("-hid" starts hidden).
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Startup.h"

int main(int argc, char** argv) {
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
        std::fprintf(stderr,
                     "keyglow: %s\nusage: keyglow [--emulator] [--screenshot FILE] "
                     "[--quit-after MS] [-hid]\n",
                     options.error.c_str());
        return 2;
    }
    kg::Startup startup(options);
    return startup.run();
}
