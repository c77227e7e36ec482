// Start-up until the main window exists: the configuration and the four settings files are
// read from the program folder. The window comes with the user interface.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/EffectStore.h"
#include "app/SideLightStore.h"
#include "common/PathJoin.h"
#include "common/Utf.h"
#include "macro/MacroStore.h"
#include "macro/RecordStore.h"
#include "mainwnd/AppConfig.h"
#include "platform/ProgramFolder.h"

int main(int argc, char** argv) {
    // Our own options come off the command line first; what is left is the program's own
    // command line ("-hid").
    bool emulator = false;
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--emulator") == 0) {
            emulator = true;
            continue;
        }
        if (!commandLine.empty()) {
            commandLine.push_back(' ');
        }
        commandLine += argv[i];
    }
    const bool hidden = commandLine == "-hid";

    AppConfig& config = AppConfig::instance();
    config.load();

    const std::wstring settings = platform::writableConfigFolder();
    MacroStore::instance().load(kg::joinPath(settings, L"macro.xml"));
    RecordStore::instance().load(kg::joinPath(settings, L"record.xml"));
    SideLightStore::instance().load(kg::joinPath(settings, L"sidemodel.xml"));
    EffectStore::instance().load(kg::joinPath(settings, L"ledeffect.xml"));

    std::printf(
        "keyglow: loaded config.xml (usb %04x:%04x interface %d collection %d, %s, %zu media "
        "keys, %zu combinations) and the settings in %s (%d macro groups, %d key assignments, "
        "effect %d, side effect %d)%s%s; the window is not built yet.\n",
        static_cast<unsigned>(config.usbVendorId), static_cast<unsigned>(config.usbProductId),
        config.usbInterface, config.usbSubdevice, config.useChinese ? "Chinese" : "English",
        config.mediaKeys.size(), config.keyCombos.size(), kg::toUtf8(settings).c_str(),
        MacroStore::instance().groupCount(),
        static_cast<int>(RecordStore::instance().records().size()),
        EffectStore::instance().currentIndex(), SideLightStore::instance().currentIndex(),
        emulator ? ", emulated keyboard" : "", hidden ? ", hidden" : "");
    return 0;
}
