#pragma once

#include <QString>

#include "ui/Window.h"

namespace kg::ui {

// A label, tag "text".
class Text : public Window {
    Q_OBJECT
    KG_UI_CLASS(Window, "text")
public:
    explicit Text(QWidget* parent = nullptr) : Window(parent) {}
};

// A push button, tag "button": skin states normal, hover, pressed, disabled; a click raises
// the command event.
class Button : public Window {
    Q_OBJECT
    KG_UI_CLASS(Window, "button")
public:
    explicit Button(QWidget* parent = nullptr);
    void onClick() override;
    // Raises the click and then the command event, as a click of the mouse does.
    void click();

protected:
    // Space and Enter click the focused button.
    void keyPressEvent(QKeyEvent* e) override;
};

// An image button, tag "imgbtn": a button that shows its skin (and its text, if any).
class ImageButton : public Button {
    Q_OBJECT
    KG_UI_CLASS(Button, "imgbtn")
public:
    explicit ImageButton(QWidget* parent = nullptr) : Button(parent) {}
};

// A check box, tag "check": the box (its skin, or a drawn box) left of the text. A click
// toggles it, then raises the command event.
//
// Box skin states: 0 normal, 1 hover, 2 pressed, 3 checked (4-state strips); an 8-state
// strip has the checked states 4 to 7 (normal, hover, pressed, disabled).
class CheckBox : public Button {
    Q_OBJECT
    KG_UI_CLASS(Button, "check")
public:
    explicit CheckBox(QWidget* parent = nullptr);
    bool applyAttribute(const QString& name, const QString& value) override;
    void onClick() override;
    void paint(QPainter& p) override;
    QRect textRect() const override;
    QSize desiredSize() const override;
    // The state index of the box picture.
    virtual int boxStateIndex() const;
    const Skin* boxSkin() const { return skin(); }

protected:
    QRect boxRect() const;
};

// A radio button, tag "radio": checking one unchecks the other radios of its group (the
// radios with the same parent and the same "group" attribute).
class RadioBox : public CheckBox {
    Q_OBJECT
    KG_UI_CLASS(CheckBox, "radio")
public:
    explicit RadioBox(QWidget* parent = nullptr) : CheckBox(parent) {}
    bool applyAttribute(const QString& name, const QString& value) override;
    void onClick() override;
    void setChecked(bool checked) override;
    QString group() const { return m_group; }

protected:
    // The arrow keys move to the previous or next radio of the group and choose it.
    void keyPressEvent(QKeyEvent* e) override;

private:
    QString m_group;
};

}  // namespace kg::ui
