#pragma once

#include <vector>

#include "ui/ListView.h"

class MacroStore;
struct MacroGroup;

// The rows of the editor's step list: the steps of the shown group in four columns (code,
// name, state and an editable delay). The shown group is held by its position in the store,
// so adding or deleting groups never leaves it pointing at a group that is gone: a position
// that is no longer below the group count shows no group.
class KeyAndDelayAdapter final : public kg::ui::McAdapter {
public:
    explicit KeyAndDelayAdapter(MacroStore& store) : m_store(store) {}

    // -1: no group.
    void showGroup(int position) { m_position = position; }
    int shownPosition() const { return m_position; }
    // Null when no group is shown.
    MacroGroup* shownGroup() const;

    int count() override;
    void bindView(int position, kg::ui::Window* row) override;
    // "col1" to "col4".
    QString columnName(int column) const override;
    // Marks the clicked column's sort direction (none or down becomes up, up becomes down) and
    // clears the others; the steps keep their order.
    bool onSort(int column, std::vector<kg::ui::SortMark>& marks) override;

private:
    MacroStore& m_store;
    int m_position = -1;
};
