#include "controls/SRadioBoxEx.h"

SRadioBoxEx::SRadioBoxEx(QWidget* parent) : kg::ui::RadioBox(parent) {
    // No box picture of the base class: the layout's "skin" is the whole look.
    setSkin(nullptr);
}

SRadioBoxEx::~SRadioBoxEx() = default;

bool SRadioBoxEx::applyAttribute(const QString& name, const QString& value) {
    if (m_look.applyAttribute(name, value)) {
        update();
        return true;
    }
    return kg::ui::RadioBox::applyAttribute(name, value);
}

QSize SRadioBoxEx::desiredSize() const {
    return m_look.desiredSize(*this);
}

QRect SRadioBoxEx::textRect() const {
    return m_look.textRect(rect());
}

void SRadioBoxEx::drawFocus(QPainter&) {}

void SRadioBoxEx::paint(QPainter& p) {
    m_look.paint(p, *this);
}
