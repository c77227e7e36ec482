#pragma once

#include "macro/editor/IOnMacroGroupClickedListener.h"
#include "ui/ListView.h"

class MacroStore;

// The rows of the editor's group list, one per macro group: an edit "group_name" with the
// group's name, which renames the group (and saves) on every keystroke.
class MacroGroupAdapter final : public kg::ui::ListAdapter {
public:
    explicit MacroGroupAdapter(MacroStore& store) : m_store(store) {}

    void setListener(IOnMacroGroupClickedListener* listener) { m_listener = listener; }

    int count() override;
    void bindView(int position, kg::ui::Window* row) override;

    // The row clicked last; -1 before any click.
    int clickedPosition() const { return m_clicked; }

private:
    void rowClicked(int position);

    MacroStore& m_store;
    IOnMacroGroupClickedListener* m_listener = nullptr;
    int m_clicked = -1;
};
