#include "app/ProgramControls.h"

#include <QString>
#include <utility>

#include "controls/RegisterControls.h"
#include "mainwnd/SShellNotifyIcon.h"
#include "ui/ObjectFactory.h"

namespace kg {

int registerProgramControls(kg::ui::ObjectFactory& factory) {
    int added = factory.registerClass<SShellNotifyIcon>(QStringLiteral("window")) ? 1 : 0;
    added += kg::registerControls(factory);
    // Whatever a control library left out still answers the class test for its tag.
    const std::pair<const char*, const char*> table[] = {
        {"shellnotifyicon", "window"}, {"cbimg", "window"},  {"page2", "page"},
        {"tabctrl2", "tabctrl"},       {"anmimg", "window"}, {"editex", "edit"},
        {"radioex", "radio"},          {"checkex", "check"},
    };
    for (const auto& [tag, base] : table) {
        factory.registerStandIn(QLatin1String(tag), QLatin1String(base));
    }
    return added;
}

}  // namespace kg
