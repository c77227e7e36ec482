#include "ui/Menu.h"

#include <QMenu>
#include <QPainter>
#include <cstring>

#include "ui/HostWnd.h"
#include "ui/Toolkit.h"
#include "ui/UiLog.h"

namespace kg::ui {

namespace {
Menu::Chooser& chooser() {
    static Menu::Chooser c;
    return c;
}

void readItems(const pugi::xml_node& parent, const char* itemTag, std::vector<MenuItem>& out) {
    Toolkit* tk = Toolkit::instance();
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) {
            continue;
        }
        MenuItem item;
        if (std::strcmp(c.name(), "sep") == 0) {
            item.separator = true;
        } else if (std::strcmp(c.name(), itemTag) == 0) {
            item.id = c.attribute("id").as_int(0);
            item.name = QString::fromUtf8(c.attribute("name").value());
            QString t = QString::fromUtf8(c.attribute("text").value());
            if (t.isEmpty()) {
                t = QString::fromUtf8(c.child_value());
            }
            item.text = tk ? tk->resolveString(t.trimmed()) : t.trimmed();
            item.icon = QString::fromUtf8(c.attribute("icon").value());
            item.enabled = !c.attribute("disable").as_bool(false);
            item.checkable = !c.attribute("check").empty();
            item.checked = c.attribute("check").as_bool(false);
            readItems(c, itemTag, item.children);
        } else {
            continue;
        }
        out.push_back(std::move(item));
    }
}

const MenuItem* findIn(const std::vector<MenuItem>& items,
                       const std::function<bool(const MenuItem&)>& f) {
    for (const MenuItem& i : items) {
        if (!i.separator && f(i)) {
            return &i;
        }
        if (const MenuItem* c = findIn(i.children, f)) {
            return c;
        }
    }
    return nullptr;
}

void fill(QMenu* menu, const std::vector<MenuItem>& items, bool extended,
          std::vector<std::pair<QAction*, const MenuItem*>>& actions) {
    Toolkit* tk = Toolkit::instance();
    for (const MenuItem& i : items) {
        if (i.separator) {
            menu->addSeparator();
            continue;
        }
        const QString text = tk ? tk->tr(i.text) : i.text;
        if (!i.children.empty()) {
            QMenu* sub = menu->addMenu(text);
            fill(sub, i.children, extended, actions);
            continue;
        }
        QAction* a = menu->addAction(text);
        a->setEnabled(i.enabled);
        if (i.checkable || i.checked) {
            a->setCheckable(true);
            a->setChecked(i.checked);
        }
        if (extended && tk && !i.icon.isEmpty()) {
            if (const Skin* s = tk->skin(i.icon); s && !s->image.isNull()) {
                QPixmap pm(s->size().isEmpty() ? QSize(16, 16) : s->size());
                pm.fill(Qt::transparent);
                QPainter p(&pm);
                s->draw(p, pm.rect(), 0);
                p.end();
                a->setIcon(QIcon(pm));
            }
        }
        actions.emplace_back(a, &i);
    }
}
}  // namespace

void Menu::setChooser(Chooser c) {
    chooser() = std::move(c);
}

int Menu::kindOf(const QString& resource) {
    Toolkit* tk = Toolkit::instance();
    pugi::xml_document doc;
    if (!tk || !tk->resources().loadXml(resource, doc)) {
        return 2;
    }
    const char* root = doc.document_element().name();
    if (std::strcmp(root, "menu") == 0)
        return 0;
    if (std::strcmp(root, "menuRoot") == 0 || std::strcmp(root, "menuItem") == 0)
        return 1;
    return 2;
}

bool Menu::load(const QString& resource, Kind kind) {
    Toolkit* tk = Toolkit::instance();
    pugi::xml_document doc;
    QString origin;
    m_items.clear();
    m_resource = resource;
    m_kind = kind;
    if (!tk || !tk->resources().loadXml(resource, doc, nullptr, &origin)) {
        return false;
    }
    const pugi::xml_node root = doc.document_element();
    const char* name = root.name();
    if (kind == Kind::Classic) {
        if (std::strcmp(name, "menu") != 0) {
            qCWarning(lcUi) << "menu" << resource << "(" << origin << ") has root" << name
                            << "; a classic menu has <menu>";
            return false;
        }
        readItems(root, "item", m_items);
    } else {
        if (std::strcmp(name, "menuRoot") == 0) {
            readItems(root, "menuItem", m_items);
        } else if (std::strcmp(name, "menuItem") == 0) {
            readItems(root, "menuItem", m_items);
        } else {
            qCWarning(lcUi) << "menu" << resource << "(" << origin << ") has root" << name
                            << "; an extended menu has <menuRoot> or <menuItem>";
            return false;
        }
    }
    return true;
}

const MenuItem* Menu::findItem(int id) const {
    return findIn(m_items, [id](const MenuItem& i) { return i.id == id; });
}

const MenuItem* Menu::findItem(const QString& itemName) const {
    return findIn(m_items, [&itemName](const MenuItem& i) { return i.name == itemName; });
}

bool Menu::setChecked(int id, bool checked) {
    std::function<MenuItem*(std::vector<MenuItem>&)> find = [&](std::vector<MenuItem>& items) {
        for (MenuItem& i : items) {
            if (!i.separator && i.id == id) {
                return &i;
            }
            if (MenuItem* c = find(i.children)) {
                return c;
            }
        }
        return static_cast<MenuItem*>(nullptr);
    };
    MenuItem* item = find(m_items);
    if (item == nullptr) {
        return false;
    }
    item->checkable = true;
    item->checked = checked;
    return true;
}

int Menu::track(const QPoint& screenPos, HostWnd* owner, unsigned flags, int scale) {
    (void)flags;
    (void)scale;
    const MenuItem* chosen = nullptr;
    if (chooser()) {
        chosen = chooser()(*this, screenPos);
    } else {
        QMenu menu(owner);
        menu.setStyleSheet(QStringLiteral(
            "QMenu{background:#161A22;color:#E6E9EF;border:1px solid #2A3140;padding:6px;}"
            "QMenu::item{padding:7px 28px 7px 14px;border-radius:4px;}"
            "QMenu::item:selected{background:#1F3A4A;}"
            "QMenu::item:disabled{color:#4A5263;}"
            "QMenu::separator{height:1px;background:#262C38;margin:5px 8px;}"));
        std::vector<std::pair<QAction*, const MenuItem*>> actions;
        fill(&menu, m_items, m_kind == Kind::Extended, actions);
        QAction* a = menu.exec(screenPos);
        for (const auto& [action, item] : actions) {
            if (action == a) {
                chosen = item;
            }
        }
    }
    if (!chosen || !chosen->enabled || chosen->separator) {
        return 0;
    }
    if (owner) {
        if (chosen->id != 0) {
            owner->postMessage(kMsgCommand, static_cast<uintptr_t>(chosen->id & 0xFFFF), 0);
        } else if (!chosen->name.isEmpty()) {
            owner->postNamedCommand(chosen->name, 0);
        }
    }
    return chosen->id;
}

}  // namespace kg::ui
