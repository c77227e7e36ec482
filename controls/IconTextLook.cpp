#include "controls/IconTextLook.h"

#include <QPainter>
#include <cstdio>

#include "ui/Controls.h"
#include "ui/Skin.h"
#include "ui/Toolkit.h"
#include "ui/UiLog.h"

namespace kg {

namespace {

const kg::ui::Skin* skinNamed(const QString& value) {
    kg::ui::Toolkit* tk = kg::ui::Toolkit::instance();
    if (!tk) {
        return nullptr;
    }
    const kg::ui::Skin* s = tk->findSkin(value);
    if (!s) {
        qCWarning(lcUi) << "skin" << value << "is not defined";
    }
    return s;
}

}  // namespace

bool IconTextLook::applyAttribute(const QString& name, const QString& value) {
    if (name.compare(QLatin1String("iconSkin"), Qt::CaseInsensitive) == 0) {
        m_iconSkin = skinNamed(value);
    } else if (name.compare(QLatin1String("iconPos"), Qt::CaseInsensitive) == 0) {
        // "%d,%d": a number that is not there leaves that coordinate as it was.
        int x = m_iconOffset.x();
        int y = m_iconOffset.y();
        std::sscanf(value.toUtf8().constData(), "%d,%d", &x, &y);
        m_iconOffset = QPoint(x, y);
    } else if (name.compare(QLatin1String("textX"), Qt::CaseInsensitive) == 0) {
        m_textX = kg::ui::Window::parseInt(value, 0);
    } else if (name.compare(QLatin1String("textY"), Qt::CaseInsensitive) == 0) {
        m_textY = kg::ui::Window::parseInt(value, 0);
    } else {
        return false;
    }
    return true;
}

int IconTextLook::stateIndex(unsigned state, const kg::ui::Skin* skin) {
    if (state & kg::ui::Window::kStatePressed) {
        return 2;
    }
    if (state & kg::ui::Window::kStateHover) {
        return 1;
    }
    if ((state & kg::ui::Window::kStateChecked) && skin && skin->stateCount() >= 1) {
        return skin->stateCount() - 1;
    }
    return 0;
}

int IconTextLook::boxStateIndex(unsigned state, int count) {
    // The same rule as the check box's own box picture.
    const int n = count < 1 ? 1 : count;
    int base = 0;
    if (state & kg::ui::Window::kStateDisabled) {
        base = 3;
    } else if (state & kg::ui::Window::kStatePressed) {
        base = 2;
    } else if (state & kg::ui::Window::kStateHover) {
        base = 1;
    }
    if (n >= 8) {
        return (state & kg::ui::Window::kStateChecked) ? base + 4 : base;
    }
    if (state & kg::ui::Window::kStateChecked) {
        return n - 1;
    }
    return base < n - 1 ? base : 0;
}

QRect IconTextLook::textRect(const QRect& client) const {
    const int iconWidth = m_iconSkin ? m_iconSkin->size().width() : 0;
    QRect r = client;
    r.setLeft(client.left() + m_textX + m_iconOffset.x() + iconWidth);
    r.setTop(client.top() + m_textY + m_iconOffset.y());
    return r;
}

QSize IconTextLook::desiredSize(const kg::ui::CheckBox& control) const {
    if (const kg::ui::Skin* s = control.skin()) {
        return s->size();
    }
    return control.kg::ui::Window::desiredSize();
}

void IconTextLook::paint(QPainter& p, kg::ui::CheckBox& control) const {
    const QRect client = control.rect();
    if (const kg::ui::Skin* s = control.skin()) {
        s->draw(p, client, stateIndex(control.state(), s));
    }
    if (m_iconSkin) {
        const QRect icon(client.topLeft() + m_iconOffset, m_iconSkin->size());
        m_iconSkin->draw(p, icon, boxStateIndex(control.state(), m_iconSkin->stateCount()));
    }
    control.paintText(p);
}

}  // namespace kg
