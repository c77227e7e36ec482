#include "controls/SCheckBoxEx.h"

SCheckBoxEx::SCheckBoxEx(QWidget* parent) : kg::ui::CheckBox(parent) {
    // No box picture of the base class: the layout's "skin" is the whole look.
    setSkin(nullptr);
}

SCheckBoxEx::~SCheckBoxEx() = default;

bool SCheckBoxEx::applyAttribute(const QString& name, const QString& value) {
    if (m_look.applyAttribute(name, value)) {
        update();
        return true;
    }
    return kg::ui::CheckBox::applyAttribute(name, value);
}

QSize SCheckBoxEx::desiredSize() const {
    return m_look.desiredSize(*this);
}

QRect SCheckBoxEx::textRect() const {
    return m_look.textRect(rect());
}

void SCheckBoxEx::drawFocus(QPainter&) {}

void SCheckBoxEx::paint(QPainter& p) {
    m_look.paint(p, *this);
}
