#include "macro/editor/KeyAndDelayAdapter.h"

#include "macro/EditorFields.h"
#include "settings/MacroStore.h"
#include "ui/Edit.h"

MacroGroup* KeyAndDelayAdapter::shownGroup() const {
    // A negative index would mean the selected group to the store; here it means none.
    return m_position >= 0 ? m_store.groupAt(m_position) : nullptr;
}

int KeyAndDelayAdapter::count() {
    const MacroGroup* group = shownGroup();
    return group ? static_cast<int>(group->steps.size()) : 0;
}

void KeyAndDelayAdapter::bindView(int position, kg::ui::Window* row) {
    const MacroGroup* group = shownGroup();
    if (group == nullptr || position < 0 || position >= static_cast<int>(group->steps.size())) {
        return;
    }
    const MacroStep& step = group->steps[static_cast<std::size_t>(position)];
    if (kg::ui::Window* code = row->findChildByName(QStringLiteral("key_code"))) {
        code->setText(QString::number(step.code));
    }
    if (kg::ui::Window* name = row->findChildByName(QStringLiteral("key_name"))) {
        name->setText(QString::fromStdWString(step.name));
    }
    if (kg::ui::Window* state = row->findChildByName(QStringLiteral("key_state"))) {
        state->setText(QString::fromWCharArray(kg::stepStateText(step.state)));
    }
    auto* delay = qobject_cast<kg::ui::Edit*>(
        row->findChildByName(QStringLiteral("key_delay"), QStringLiteral("edit")));
    if (delay == nullptr) {
        return;
    }
    delay->setText(QString::number(step.delay));
    delay->setData(position);
    delay->subscribe(kg::ui::kEventTextChanged, [this, position, delay](kg::ui::Event& e) {
        MacroGroup* shown = shownGroup();
        if (shown == nullptr || position >= static_cast<int>(shown->steps.size())) {
            return true;
        }
        MacroStep& edited = shown->steps[static_cast<std::size_t>(position)];
        if (const std::optional<std::int32_t> value =
                kg::stepDelayFromText(e.text.toStdWString())) {
            edited.delay = *value;
        } else {
            delay->setText(QString::number(edited.delay));
        }
        return true;
    });
}

QString KeyAndDelayAdapter::columnName(int column) const {
    return QStringLiteral("col%1").arg(column + 1);
}

bool KeyAndDelayAdapter::onSort(int column, std::vector<kg::ui::SortMark>& marks) {
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (static_cast<int>(i) == column) {
            marks[i] =
                marks[i] == kg::ui::SortMark::Up ? kg::ui::SortMark::Down : kg::ui::SortMark::Up;
        } else {
            marks[i] = kg::ui::SortMark::None;
        }
    }
    return false;
}
