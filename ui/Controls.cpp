#include "ui/Controls.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <vector>

#include "ui/Skin.h"
#include "ui/Toolkit.h"

namespace kg::ui {

Button::Button(QWidget* parent) : Window(parent) {
    setClickable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    applyAttribute(QStringLiteral("align"), QStringLiteral("center|middle"));
}

void Button::onClick() {
    Window::onClick();
    fireEvent(kEventCommand);
}

void Button::click() {
    if (isEnabled()) {
        onClick();
    }
}

void Button::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!e->isAutoRepeat()) {
                click();
            }
            e->accept();
            return;
        default:
            Window::keyPressEvent(e);
    }
}

CheckBox::CheckBox(QWidget* parent) : Button(parent) {
    applyAttribute(QStringLiteral("align"), QStringLiteral("left|middle"));
}

bool CheckBox::applyAttribute(const QString& name, const QString& value) {
    if (name.compare(QLatin1String("checked"), Qt::CaseInsensitive) == 0) {
        setChecked(parseBool(value));
        return true;
    }
    return Button::applyAttribute(name, value);
}

void CheckBox::onClick() {
    setChecked(!isChecked());
    Button::onClick();
}

int CheckBox::boxStateIndex() const {
    const unsigned s = state();
    const Skin* sk = skin();
    const int n = sk ? sk->stateCount() : 4;
    int base = 0;
    if (s & kStateDisabled)
        base = 3;
    else if (s & kStatePressed)
        base = 2;
    else if (s & kStateHover)
        base = 1;
    if (n >= 8) {
        return (s & kStateChecked) ? base + 4 : base;
    }
    if (s & kStateChecked) {
        return n - 1;
    }
    return base < n - 1 ? base : 0;
}

QRect CheckBox::boxRect() const {
    const Skin* sk = skin();
    const QSize box = sk && !sk->size().isEmpty() ? sk->size() : QSize(16, 16);
    return QRect(QPoint(0, (height() - box.height()) / 2), box);
}

QRect CheckBox::textRect() const {
    return rect().adjusted(boxRect().width() + 8, 0, 0, 0);
}

QSize CheckBox::desiredSize() const {
    const QFontMetrics fm(font());
    const QRect b = boxRect();
    return QSize(b.width() + 8 + fm.horizontalAdvance(displayText()) + 2,
                 qMax(b.height(), fm.height()) + 2);
}

void CheckBox::paint(QPainter& p) {
    const QRect b = boxRect();
    if (const Skin* sk = skin()) {
        sk->draw(p, b, boxStateIndex());
    } else {
        // No box picture: a flat drawn box in the accent colour.
        Toolkit* tk = Toolkit::instance();
        QColor accent = tk ? tk->color(QStringLiteral("accent")) : QColor();
        if (!accent.isValid())
            accent = QColor(0x35, 0xC8, 0xFF);
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        const bool round = isClass(u"radio");
        const QRectF r = QRectF(b).adjusted(1.5, 1.5, -1.5, -1.5);
        p.setPen(QPen((state() & kStateHover) ? accent : QColor(0x4A, 0x52, 0x63), 1.5));
        p.setBrush(QColor(0x0C, 0x0F, 0x14));
        if (round)
            p.drawEllipse(r);
        else
            p.drawRoundedRect(r, 3, 3);
        if (isChecked()) {
            p.setPen(Qt::NoPen);
            p.setBrush(accent);
            const QRectF in = r.adjusted(3.5, 3.5, -3.5, -3.5);
            if (round)
                p.drawEllipse(in);
            else
                p.drawRoundedRect(in, 2, 2);
        }
        p.restore();
    }
    paintText(p);
}

bool RadioBox::applyAttribute(const QString& name, const QString& value) {
    if (name.compare(QLatin1String("group"), Qt::CaseInsensitive) == 0) {
        m_group = value;
        return true;
    }
    return CheckBox::applyAttribute(name, value);
}

void RadioBox::onClick() {
    // A click on a checked radio leaves it checked.
    setChecked(true);
    Button::onClick();
}

void RadioBox::keyPressEvent(QKeyEvent* e) {
    int step = 0;
    switch (e->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            step = -1;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            step = 1;
            break;
        default:
            CheckBox::keyPressEvent(e);
            return;
    }
    e->accept();
    if (!parentWidget()) {
        return;
    }
    // The group's radios in layout order; the arrows wrap around as in a system dialog.
    std::vector<RadioBox*> group;
    for (QObject* o : parentWidget()->children()) {
        auto* r = qobject_cast<RadioBox*>(o);
        if (r && r->group() == m_group && (r == this || (r->isVisible() && r->isEnabled()))) {
            group.push_back(r);
        }
    }
    const auto self = std::find(group.begin(), group.end(), this);
    if (group.size() < 2 || self == group.end()) {
        return;
    }
    const auto n = static_cast<long>(group.size());
    const long at = ((self - group.begin()) + step + n) % n;
    RadioBox* next = group[static_cast<std::size_t>(at)];
    next->setFocus(Qt::TabFocusReason);
    next->click();
}

void RadioBox::setChecked(bool checked) {
    CheckBox::setChecked(checked);
    if (!checked || !parentWidget()) {
        return;
    }
    for (QObject* o : parentWidget()->children()) {
        auto* other = qobject_cast<RadioBox*>(o);
        if (other && other != this && other->group() == m_group && other->isChecked()) {
            other->CheckBox::setChecked(false);
        }
    }
}

}  // namespace kg::ui
