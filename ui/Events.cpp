#include "ui/Events.h"

#include <QHash>

namespace kg::ui {

namespace {
QHash<int, QString>& names() {
    static QHash<int, QString> table = {
        {kEventCommand, QStringLiteral("on_command")},
        {kEventClick, QStringLiteral("on_click")},
        {kEventMouseHover, QStringLiteral("on_mouse_hover")},
        {kEventMouseLeave, QStringLiteral("on_mouse_leave")},
        {kEventTabSelChanged, QStringLiteral("on_tab_sel_changed")},
        {kEventTabItemHover, QStringLiteral("on_tab_item_hover")},
        {kEventTabItemLeave, QStringLiteral("on_tab_item_leave")},
        {kEventSelChanged, QStringLiteral("on_sel_changed")},
        {kEventSliderPos, QStringLiteral("on_slider_pos")},
        {kEventTextChanged, QStringLiteral("on_text_changed")},
        {kEventHeaderClick, QStringLiteral("on_header_click")},
        {kEventKeyEnter, QStringLiteral("on_key_enter")},
    };
    return table;
}
}  // namespace

QString eventName(int id) {
    return names().value(id);
}

int eventIdByName(const QString& name) {
    const auto& t = names();
    for (auto it = t.constBegin(); it != t.constEnd(); ++it) {
        if (it.value().compare(name, Qt::CaseInsensitive) == 0) {
            return it.key();
        }
    }
    return 0;
}

void declareEvent(int id, const QString& name) {
    names().insert(id, name);
}

}  // namespace kg::ui
