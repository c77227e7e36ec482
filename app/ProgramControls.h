#pragma once

namespace kg::ui {
class ObjectFactory;
}

namespace kg {

// Registers the program's eight control classes with the toolkit's object factory in start-up
// order: "shellnotifyicon", "cbimg", "page2", "tabctrl2", "anmimg", "editex", "radioex",
// "checkex". A tag that is registered already keeps its class; a class this build does not
// have yet is registered as a stand-in of its base. Returns how many real classes were added.
int registerProgramControls(kg::ui::ObjectFactory& factory);

}  // namespace kg
