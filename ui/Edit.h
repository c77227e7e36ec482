#pragma once

#include "ui/Window.h"

class QLineEdit;

namespace kg::ui {

// A single-line edit, tag "edit". Its text is the user's, so it is not translated. Every
// change of the text (typed or set) raises the text-change event.
class Edit : public Window {
    Q_OBJECT
    KG_UI_CLASS(Window, "edit")
public:
    explicit Edit(QWidget* parent = nullptr);
    bool applyAttribute(const QString& name, const QString& value) override;
    void setText(const QString& text) override;
    QString editText() const;
    void retranslate() override;
    void paintText(QPainter& p) override;
    QLineEdit* lineEdit() const { return m_edit; }

protected:
    // Sees every event of the inner line edit first; return true to swallow it. The extended
    // edit takes the Enter key and mouse clicks here.
    virtual bool filterEditEvent(QEvent* e);
    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void restyle();
    QLineEdit* m_edit = nullptr;
    QString m_placeholder;
};

}  // namespace kg::ui
