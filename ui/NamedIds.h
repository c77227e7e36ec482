#pragma once

#include <QString>
#include <vector>

namespace kg::ui {

// The table that binds control names in layouts to the numeric IDs the code uses.
class NamedIds {
public:
    struct Entry {
        QString name;
        int id = 0;
    };

    // Copies a table of entries with `name` (a zero-terminated wide string) and `id`; when
    // `sorted` is set it is taken as already sorted by name in ordinal order. A table that is
    // marked sorted but is not gets sorted (and reported) so lookups stay right.
    template <class T>
    void registerTable(const T* entries, int count, bool sorted) {
        std::vector<Entry> copy;
        copy.reserve(static_cast<size_t>(count > 0 ? count : 0));
        for (int i = 0; i < count; ++i) {
            copy.push_back({QString::fromWCharArray(entries[i].name), entries[i].id});
        }
        setTable(std::move(copy), sorted);
    }
    void setTable(std::vector<Entry> entries, bool sorted);

    // The ID of a name; -1 when the table does not hold it.
    int idOf(const QString& name) const;
    // The name of an ID; empty when the table does not hold it.
    QString nameOf(int id) const;
    int count() const { return static_cast<int>(m_entries.size()); }
    const Entry& at(int i) const { return m_entries[static_cast<size_t>(i)]; }

private:
    std::vector<Entry> m_entries;
};

}  // namespace kg::ui
