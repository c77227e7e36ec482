#pragma once

#include "ui/Edit.h"

// The extended edit, tag "editex": every key-down of Enter (auto-repeat included) raises
// "on_key_enter" (EventKeyEnter, 10000500) instead of reaching the edit. Mouse presses and
// releases of the left button never reach the edit (no caret move, no selection); a click
// on the edit while it is disabled (by itself, not through a parent) enables it.
class SEditEx : public kg::ui::Edit {
    Q_OBJECT
    KG_UI_CLASS(kg::ui::Edit, "editex")
public:
    static constexpr int EventKeyEnter = 10000500;

    explicit SEditEx(QWidget* parent = nullptr);
    ~SEditEx() override;

protected:
    bool filterEditEvent(QEvent* e) override;
    bool event(QEvent* e) override;

private:
    // True when the event was a left-button press or release (it is then taken).
    bool takeLeftButton(QEvent* e);
    bool takeEnter(QEvent* e);
};
