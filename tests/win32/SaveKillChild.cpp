// The process the Windows kill test ends with TerminateProcess:
//   kg_win32_save_kill_child FOLDER EVENT
// saves every settings file in FOLDER over and over, switching between the two versions the
// test knows, and sets the named event EVENT once each file has been saved.
#include <windows.h>

#include <filesystem>
#include <string>

#include "tests/settings/SaveKillFiles.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    // The stores start from their defaults, as the test's own did: a version left by the
    // previous process is not read.
    for (const char* name : {"ledeffect.xml", "sidemodel.xml", "macro.xml", "record.xml"}) {
        std::error_code ec;
        std::filesystem::remove(folder / name, ec);
    }
    HANDLE started = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    if (started == nullptr) {
        return 3;
    }
    kgtest::SaveKillStores stores([&](const char* name) { return (folder / name).wstring(); });
    stores.saveForEver([started] { SetEvent(started); });
}
