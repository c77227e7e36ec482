#pragma once

#include <QStringList>

#include "ui/Window.h"

class QComboBox;

namespace kg::ui {

// A drop-down list, tag "combobox". Items come from the layout:
//   <combobox name="..." pos="..." curSel="-1"><items><item text="Static"/>...</items></combobox>
// Item texts are sources and are shown translated. A change of the selection, by the user or
// by setCurSel with notification, raises the selection-change event at once (synchronously).
// "cueText" is shown (translated) while no item is selected. The box takes the keyboard focus
// (Tab; the arrow keys then change the selection) and the mouse wheel only while it has the
// focus, so that turning the wheel over a page never changes a setting by accident. The open
// list marks the selected item whatever the pointer is over; the hover border goes when the
// list closes with the pointer elsewhere.
class ComboBox : public Window {
    Q_OBJECT
    KG_UI_CLASS(Window, "combobox")
public:
    explicit ComboBox(QWidget* parent = nullptr);
    bool applyAttribute(const QString& name, const QString& value) override;
    bool createChildren(const pugi::xml_node& node, LayoutBuilder& builder) override;
    void onCreate() override;
    void retranslate() override;
    void paintText(QPainter& p) override;

    int count() const;
    int curSel() const;
    // Selects item `index` (-1 clears). Returns false for an index that is no item. With
    // `notify`, a change raises the selection-change event before this returns; selecting the
    // item already shown raises nothing.
    bool setCurSel(int index, bool notify = true);
    int addItem(const QString& source, intptr_t data = 0);
    bool insertItem(int index, const QString& source, intptr_t data = 0);
    bool deleteItem(int index);
    void clear();
    QString itemText(int index) const;  // the source text
    intptr_t itemData(int index) const;
    QComboBox* comboBox() const { return m_combo; }
    // The source of the text shown while no item is selected.
    QString cueText() const { return m_cueSource; }
    void setCueText(const QString& source);

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void raiseSelChanged(int oldSel, int newSel);
    QComboBox* m_combo = nullptr;
    QStringList m_sources;
    QString m_cueSource;
    int m_initialSel = -1;
    int m_lastSel = -1;
    bool m_quiet = false;
};

}  // namespace kg::ui
