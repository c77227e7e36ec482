#pragma once

#include "controls/IconTextLook.h"
#include "ui/Controls.h"

// The extended check box, tag "checkex": the toolkit's check box drawn as a state skin ("skin")
// with an optional icon ("iconSkin" at "iconPos") and the text moved by "textX", "textY" and
// the icon's width. It shows no box picture unless the layout names a skin, and no focus
// rectangle. Its desired size is the state skin's size.
class SCheckBoxEx : public kg::ui::CheckBox {
    Q_OBJECT
    KG_UI_CLASS(kg::ui::CheckBox, "checkex")
public:
    explicit SCheckBoxEx(QWidget* parent = nullptr);
    ~SCheckBoxEx() override;

    bool applyAttribute(const QString& name, const QString& value) override;
    QSize desiredSize() const override;
    QRect textRect() const override;
    void drawFocus(QPainter& p) override;
    void paint(QPainter& p) override;

    const kg::IconTextLook& look() const { return m_look; }

private:
    kg::IconTextLook m_look;
};
