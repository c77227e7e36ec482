#include "ui/NamedIds.h"

#include <algorithm>

#include "ui/UiLog.h"

namespace kg::ui {

namespace {
// Ordinal order of the UTF-16 code units, the order of the wide-character table.
bool ordinalLess(const QString& a, const QString& b) {
    return QString::compare(a, b) < 0;
}
}  // namespace

void NamedIds::setTable(std::vector<Entry> entries, bool sorted) {
    m_entries = std::move(entries);
    const auto less = [](const Entry& a, const Entry& b) { return ordinalLess(a.name, b.name); };
    if (sorted && !std::is_sorted(m_entries.begin(), m_entries.end(), less)) {
        qCWarning(lcUi) << "named-ID table marked as sorted is not sorted; sorting it";
        sorted = false;
    }
    if (!sorted) {
        std::stable_sort(m_entries.begin(), m_entries.end(), less);
    }
}

int NamedIds::idOf(const QString& name) const {
    const auto it =
        std::lower_bound(m_entries.begin(), m_entries.end(), name,
                         [](const Entry& e, const QString& n) { return ordinalLess(e.name, n); });
    if (it != m_entries.end() && it->name == name) {
        return it->id;
    }
    return -1;
}

QString NamedIds::nameOf(int id) const {
    for (const Entry& e : m_entries) {
        if (e.id == id) {
            return e.name;
        }
    }
    return {};
}

}  // namespace kg::ui
