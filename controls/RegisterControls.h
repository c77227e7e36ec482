#pragma once

namespace kg::ui {
class ObjectFactory;
}

namespace kg {

// Registers the program's controls with the toolkit's object factory, in start-up order:
// "cbimg" (window), "page2" (page), "tabctrl2" (tabctrl), "anmimg" (window), "editex"
// (edit), "radioex" (radio), "checkex" (check). A tag that is registered already keeps its
// class. The tray icon ("shellnotifyicon") comes before them and is registered by its owner.
// Returns how many classes were added.
int registerControls(kg::ui::ObjectFactory& factory);

}  // namespace kg
