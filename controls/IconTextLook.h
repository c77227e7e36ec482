#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

namespace kg::ui {
class CheckBox;
class Skin;
}  // namespace kg::ui

namespace kg {

// The look that the extended check box and radio button share: the state skin over the whole
// client rectangle, an icon placed by "iconPos", the text moved by "textX"/"textY" and the
// icon's width, and no box and no focus rectangle.
class IconTextLook {
public:
    // "iconSkin", "iconPos", "textX", "textY" (any case); false for other attributes.
    bool applyAttribute(const QString& name, const QString& value);

    const kg::ui::Skin* iconSkin() const { return m_iconSkin; }
    QPoint iconOffset() const { return m_iconOffset; }
    int textX() const { return m_textX; }
    int textY() const { return m_textY; }

    // The state of the state skin: 2 pressed, else 1 under the mouse, else the last state
    // when checked, else 0. A checked control under the mouse shows state 1.
    static int stateIndex(unsigned state, const kg::ui::Skin* skin);
    // The state the check box gives its box picture, for a strip of `count` states (used for
    // the icon, which follows the box's states).
    static int boxStateIndex(unsigned state, int count);

    QRect textRect(const QRect& client) const;
    QSize desiredSize(const kg::ui::CheckBox& control) const;
    void paint(QPainter& p, kg::ui::CheckBox& control) const;

private:
    const kg::ui::Skin* m_iconSkin = nullptr;
    QPoint m_iconOffset;
    int m_textX = 0;
    int m_textY = 0;
};

}  // namespace kg
