#include "app/ProgramControls.h"

#include <QString>
#include <utility>

#include "mainwnd/window/SShellNotifyIcon.h"
#include "ui/ObjectFactory.h"

namespace kg {

// A build without the controls library (left out of the build tree): the tray icon is real,
// the other seven classes are stand-ins of their bases so the layouts still load.
int registerProgramControls(kg::ui::ObjectFactory& factory) {
    const int added = factory.registerClass<SShellNotifyIcon>(QStringLiteral("window")) ? 1 : 0;
    const std::pair<const char*, const char*> table[] = {
        {"cbimg", "window"}, {"page2", "page"},    {"tabctrl2", "tabctrl"}, {"anmimg", "window"},
        {"editex", "edit"},  {"radioex", "radio"}, {"checkex", "check"},
    };
    for (const auto& [tag, base] : table) {
        factory.registerStandIn(QLatin1String(tag), QLatin1String(base));
    }
    return added;
}

}  // namespace kg
