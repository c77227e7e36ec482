#include "ui/TabCtrl.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/LayoutBuilder.h"
#include "ui/Skin.h"
#include "ui/Toolkit.h"
#include "ui/UiLog.h"

namespace kg::ui {

bool TabPage::applyAttribute(const QString& name, const QString& value) {
    const QString a = name.toLower();
    if (a == QLatin1String("title")) {
        Toolkit* tk = Toolkit::instance();
        m_title = tk ? tk->resolveString(value) : value;
    } else if (a == QLatin1String("iconindex")) {
        m_iconIndex = parseInt(value, -1);
    } else {
        return Window::applyAttribute(name, value);
    }
    return true;
}

TabCtrl::TabCtrl(QWidget* parent) : Window(parent) {
    setMouseTracking(true);
}

bool TabCtrl::applyAttribute(const QString& name, const QString& value) {
    const QString a = name.toLower();
    if (a == QLatin1String("cursel")) {
        m_initial = parseInt(value, 0);
    } else if (a == QLatin1String("tabalign")) {
        m_align = value.toLower();
    } else if (a == QLatin1String("tabwidth")) {
        m_tabWidth = parseInt(value, m_tabWidth);
    } else if (a == QLatin1String("tabheight")) {
        m_tabHeight = parseInt(value, m_tabHeight);
    } else if (a == QLatin1String("tabinterval")) {
        m_interval = parseInt(value, 0);
    } else if (a == QLatin1String("tabskin")) {
        m_tabSkin = skinAttribute(value);
    } else if (a == QLatin1String("iconskin")) {
        m_iconSkin = skinAttribute(value);
    } else if (a == QLatin1String("tabsepskin") || a == QLatin1String("sepskin")) {
        m_sepSkin = skinAttribute(value);
    } else if (a == QLatin1String("frameskin")) {
        m_frameSkin = skinAttribute(value);
    } else if (a == QLatin1String("iconpos")) {
        bool ok = false;
        const QSize s = parseSize(value, &ok);
        m_iconOffset = ok ? QPoint(s.width(), s.height()) : QPoint();
    } else if (a == QLatin1String("textpos")) {
        bool ok = false;
        const QSize s = parseSize(value, &ok);
        m_textOffset = QPoint(s.width(), s.height());
        m_hasTextOffset = ok;
    } else {
        return Window::applyAttribute(name, value);
    }
    return true;
}

TabPage* TabCtrl::createPage(const pugi::xml_node& node, LayoutBuilder& builder) {
    Window* w = builder.build(this, node);
    auto* page = qobject_cast<TabPage*>(w);
    if (w && (!page || !w->isClass(u"page"))) {
        qCWarning(lcUi).noquote() << builder.where(node)
                                  << "is not a page; a tab control holds pages only";
        delete w;
        return nullptr;
    }
    return page;
}

bool TabCtrl::createChildren(const pugi::xml_node& node, LayoutBuilder& builder) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) {
            continue;
        }
        if (TabPage* p = createPage(c, builder)) {
            m_pages.push_back(p);
        }
    }
    return true;
}

void TabCtrl::onCreate() {
    layoutPages();
    for (TabPage* p : m_pages) {
        p->hide();
    }
    m_cur = -1;
    if (!m_pages.empty()) {
        const int first = m_initial >= 0 && m_initial < pageCount() ? m_initial : 0;
        m_cur = first;
        m_pages[static_cast<size_t>(first)]->show();
    }
}

TabPage* TabCtrl::page(int index) const {
    return index >= 0 && index < pageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

bool TabCtrl::setCurSel(int index) {
    if (index < 0 || index >= pageCount()) {
        return false;
    }
    if (index == m_cur) {
        return true;
    }
    const int old = m_cur;
    if (TabPage* p = page(old)) {
        p->hide();
    }
    m_cur = index;
    m_pages[static_cast<size_t>(index)]->show();
    update();
    Event e;
    e.id = kEventTabSelChanged;
    e.oldSel = old;
    e.newSel = index;
    fireEvent(e);
    return true;
}

QRect TabCtrl::headRect() const {
    if (m_tabHeight <= 0 || m_tabWidth <= 0) {
        return {};
    }
    if (m_align == QLatin1String("left")) {
        return QRect(0, 0, m_tabWidth, height());
    }
    return QRect(0, 0, width(), m_tabHeight);
}

QRect TabCtrl::itemRect(int index) const {
    if (index < 0 || index >= pageCount() || headRect().isEmpty()) {
        return {};
    }
    if (m_align == QLatin1String("left")) {
        return QRect(0, index * (m_tabHeight + m_interval), m_tabWidth, m_tabHeight);
    }
    return QRect(index * (m_tabWidth + m_interval), 0, m_tabWidth, m_tabHeight);
}

void TabCtrl::layoutPages() {
    const QRect head = headRect();
    QRect content = rect();
    if (!head.isEmpty()) {
        if (m_align == QLatin1String("left")) {
            content.setLeft(head.right() + 1);
        } else {
            content.setTop(head.bottom() + 1);
        }
    }
    for (TabPage* p : m_pages) {
        p->setGeometry(content);
    }
}

void TabCtrl::resizeEvent(QResizeEvent* e) {
    layoutPages();
    Window::resizeEvent(e);
}

void TabCtrl::paint(QPainter& p) {
    paintBackground(p);
    if (headRect().isEmpty()) {
        return;
    }
    for (int i = 0; i < pageCount(); ++i) {
        const int st = i == m_cur ? 2 : (i == m_hover ? 1 : 0);
        drawItem(p, itemRect(i), i, st);
    }
}

void TabCtrl::drawItem(QPainter& p, const QRect& r, int index, int st) {
    if (r.isEmpty()) {
        return;
    }
    if (m_tabSkin) {
        m_tabSkin->draw(p, r, st);
    } else if (st != 0) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(st == 2 ? QColor(0x1F, 0x3A, 0x4A) : QColor(0x1A, 0x1F, 0x29));
        p.drawRoundedRect(QRectF(r).adjusted(2, 2, -2, -2), 6, 6);
        p.restore();
    }
    const TabPage* pg = page(index);
    if (m_iconSkin) {
        const QRect icon(r.topLeft() + m_iconOffset, m_iconSkin->size());
        m_iconSkin->draw(p, icon, pg && pg->iconIndex() >= 0 ? pg->iconIndex() : index);
    }
    if (pg) {
        p.setPen(st == 2 ? QColor(0xFF, 0xFF, 0xFF) : textColor());
        p.setFont(font());
        const QString t = translate(pg->title());
        if (m_hasTextOffset) {
            p.drawText(r.adjusted(m_textOffset.x(), m_textOffset.y(), 0, 0),
                       Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, t);
        } else {
            p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, t);
        }
    }
}

int TabCtrl::itemAt(const QPoint& pt) const {
    for (int i = 0; i < pageCount(); ++i) {
        if (itemRect(i).contains(pt)) {
            return i;
        }
    }
    return -1;
}

void TabCtrl::setHover(int index) {
    if (index == m_hover) {
        return;
    }
    const int old = m_hover;
    m_hover = index;
    if (old >= 0) {
        Event e;
        e.id = kEventTabItemLeave;
        e.index = old;
        fireEvent(e);
    }
    if (index >= 0) {
        Event e;
        e.id = kEventTabItemHover;
        e.index = index;
        fireEvent(e);
    }
    update();
}

void TabCtrl::mouseMoveEvent(QMouseEvent* e) {
    setHover(itemAt(e->position().toPoint()));
    Window::mouseMoveEvent(e);
}

void TabCtrl::mousePressEvent(QMouseEvent* e) {
    const int i = itemAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && i >= 0) {
        setCurSel(i);
        e->accept();
        return;
    }
    e->ignore();
}

void TabCtrl::leaveEvent(QEvent* e) {
    setHover(-1);
    Window::leaveEvent(e);
}

}  // namespace kg::ui
