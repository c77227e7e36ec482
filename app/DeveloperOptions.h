#pragma once

#include <QObject>
#include <memory>

#include "app/ProgramOptions.h"

class CMainDlg;

namespace kg {

// The developer options once the main window runs: the commands of --command in order, the
// picture of --screenshot, the close of --quit-after.
void applyDeveloperOptions(CMainDlg& window, const ProgramOptions& options);

// With KEYGLOW_STARTUP_TIMING set, reports once on standard output how long the window took
// from its creation to its first paint; null otherwise.
std::unique_ptr<QObject> startupTimerFor(CMainDlg& window);

}  // namespace kg
