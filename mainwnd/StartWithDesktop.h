#pragma once

#include "platform/Autostart.h"

namespace kg::ui {
class Menu;
}

namespace kg {

// The "Start with the desktop" entry of the "more" menu. The state is read from the system each
// time the menu opens, so a change made elsewhere (the desktop's own start-up settings, another
// instance) shows as it is.
class StartWithDesktop {
public:
    explicit StartWithDesktop(platform::Autostart autostart) : m_autostart(std::move(autostart)) {}

    // Ticks the entry `menuId` of `menu` when the program starts with the desktop.
    void showIn(kg::ui::Menu& menu, int menuId) const;
    // Turns starting with the desktop on when it is off and off when it is on. False when the
    // system did not take the change.
    bool toggle() const;
    bool isOn() const { return m_autostart.isEnabled(); }

private:
    platform::Autostart m_autostart;
};

}  // namespace kg
