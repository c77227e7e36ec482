#include "mainwnd/StartWithDesktop.h"

#include "ui/Menu.h"

namespace kg {

void StartWithDesktop::showIn(kg::ui::Menu& menu, int menuId) const {
    menu.setChecked(menuId, isOn());
}

bool StartWithDesktop::toggle() const {
    return isOn() ? m_autostart.disable() : m_autostart.enable();
}

}  // namespace kg
