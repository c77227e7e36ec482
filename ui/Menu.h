#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <vector>

#include <pugixml.hpp>

class QMenu;
class QWidget;

namespace kg::ui {

class HostWnd;

struct MenuItem {
    int id = 0;
    QString name;  // extended menus: an item with a name and no id raises a named command
    QString text;  // source text, shown translated
    QString icon;  // skin name (extended menus)
    bool separator = false;
    bool enabled = true;
    bool checkable = false;  // has a "check" attribute: shown with a check box, ticked or not
    bool checked = false;
    std::vector<MenuItem> children;
};

// A menu loaded from an XML resource and tracked at a screen position. The chosen item reaches
// the owner as a menu command (command message, id in the low word, 0 in the high word),
// posted as the system posts it; an extended-menu item with a name and no id reaches the
// owner's event map as a command event with that name.
//
// Classic menus: root `menu`, items `item` (attributes id, text, disable, check; nested items
// make a submenu) and `sep`. Extended menus: root `menuRoot` (or a single `menuItem`), items
// `menuItem` (id, name, text, icon, disable, check; nested make a submenu) and `sep`.
class Menu {
public:
    enum class Kind { Classic, Extended };

    // Loads a menu; the kind must match the root. False with a diagnostic otherwise.
    bool load(const QString& resource, Kind kind = Kind::Classic);
    // The kind of a menu resource by its root element: 0 classic, 1 extended, 2 none (also for a
    // resource that does not load).
    static int kindOf(const QString& resource);

    const std::vector<MenuItem>& items() const { return m_items; }
    Kind kind() const { return m_kind; }

    // Shows the menu with its top-left corner at `screenPos` and returns the chosen item's id
    // (0 when nothing was chosen), after posting it to `owner`. `flags` and `scale` (percent)
    // are accepted for the program's calls; Qt scales the menu with the screen.
    int track(const QPoint& screenPos, HostWnd* owner, unsigned flags = 0, int scale = 100);

    // Test seam: while set, track asks it for the chosen item instead of showing the menu.
    using Chooser = std::function<const MenuItem*(const Menu& menu, const QPoint& screenPos)>;
    static void setChooser(Chooser chooser);
    // The item with this id (depth first); null when none.
    const MenuItem* findItem(int id) const;
    const MenuItem* findItem(const QString& name) const;
    // Ticks or clears the item with this id before the menu is tracked; false when none.
    bool setChecked(int id, bool checked);

private:
    std::vector<MenuItem> m_items;
    Kind m_kind = Kind::Classic;
    QString m_resource;
};

// The extended menu under the name the program's code uses.
class MenuEx : public Menu {
public:
    bool load(const QString& resource) { return Menu::load(resource, Kind::Extended); }
};

}  // namespace kg::ui
