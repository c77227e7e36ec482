#include "macro/editor/MacroGroupAdapter.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>

#include "settings/MacroStore.h"
#include "ui/Edit.h"

namespace {

// The name field covers its whole row, so a row could hardly be clicked past it: a click (or a
// Tab) into the field counts as a click on its row.
class FieldSelectsRow final : public QObject {
public:
    FieldSelectsRow(QObject* field, kg::ui::ListItem* row) : QObject(field), m_row(row) {
        field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::FocusIn) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
            // Not when focus only moves on because a row went away during a refresh.
            if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
                reason == Qt::BacktabFocusReason) {
                m_row->onClick();
            }
        }
        return QObject::eventFilter(watched, e);
    }

private:
    kg::ui::ListItem* m_row;
};

}  // namespace

int MacroGroupAdapter::count() {
    return m_store.groupCount();
}

void MacroGroupAdapter::bindView(int position, kg::ui::Window* row) {
    const MacroGroup* group = m_store.groupAt(position);
    if (position < 0 || group == nullptr) {
        return;
    }
    row->setData(position);
    if (auto* name = qobject_cast<kg::ui::Edit*>(
            row->findChildByName(QStringLiteral("group_name"), QStringLiteral("edit")))) {
        name->setData(position);
        // The text first, so that showing the name renames nothing.
        name->setText(QString::fromStdWString(group->name));
        name->subscribe(kg::ui::kEventTextChanged, [this, position](kg::ui::Event& e) {
            m_store.renameGroup(position, e.text.toStdWString());
            return true;
        });
        if (auto* item = qobject_cast<kg::ui::ListItem*>(row)) {
            new FieldSelectsRow(name->lineEdit(), item);
        }
    }
    row->subscribe(kg::ui::kEventClick, [this, position](kg::ui::Event&) {
        rowClicked(position);
        return true;
    });
}

void MacroGroupAdapter::rowClicked(int position) {
    m_clicked = position;
    const MacroGroup* group = m_store.groupAt(position);
    if (group != nullptr && m_listener != nullptr) {
        m_listener->onMacroGroupClicked(position, group->name);
    }
}
