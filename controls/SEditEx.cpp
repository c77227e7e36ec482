#include "controls/SEditEx.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "ui/Events.h"

SEditEx::SEditEx(QWidget* parent) : kg::ui::Edit(parent) {
    addEvent(EventKeyEnter, QStringLiteral("on_key_enter"));
}

SEditEx::~SEditEx() = default;

bool SEditEx::takeEnter(QEvent* e) {
    if (e->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* k = static_cast<QKeyEvent*>(e);
    // The main Enter and the keypad Enter are the same key (13) to the program.
    if (k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter) {
        return false;
    }
    fireEvent(EventKeyEnter);
    return true;
}

bool SEditEx::takeLeftButton(QEvent* e) {
    if (e->type() == QEvent::MouseMove) {
        // The edit never saw the press, so a move with the button held is no drag of its
        // own: it must not select.
        if (static_cast<QMouseEvent*>(e)->buttons() & Qt::LeftButton) {
            e->accept();
            return true;
        }
        return false;
    }
    if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonRelease) {
        return false;
    }
    if (static_cast<QMouseEvent*>(e)->button() != Qt::LeftButton) {
        return false;
    }
    // Only its own disabled flag: an edit disabled through a parent stays disabled.
    if (testAttribute(Qt::WA_ForceDisabled)) {
        setEnabled(true);
    }
    e->accept();
    return true;
}

bool SEditEx::filterEditEvent(QEvent* e) {
    if (takeEnter(e) || takeLeftButton(e)) {
        return true;
    }
    // The edit swallows the Enter shortcut check too, so no default button takes the key.
    if (e->type() == QEvent::ShortcutOverride) {
        const auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            e->accept();
            return true;
        }
    }
    return kg::ui::Edit::filterEditEvent(e);
}

bool SEditEx::event(QEvent* e) {
    // Presses on the frame around the inner edit, and key events sent to the control itself.
    if (takeEnter(e) || takeLeftButton(e)) {
        return true;
    }
    return kg::ui::Edit::event(e);
}
