#include "controls/STabCtrl2.h"

#include <QPainter>
#include <cstring>

#include "controls/STabPage2.h"
#include "ui/LayoutBuilder.h"
#include "ui/Skin.h"
#include "ui/Toolkit.h"
#include "ui/UiLog.h"

STabCtrl2::STabCtrl2(QWidget* parent) : kg::ui::TabCtrl(parent) {}

STabCtrl2::~STabCtrl2() {
    // Destroyed without the host's destruction (deleted on its own): leave the timeline.
    if (m_timelineHost && host() == m_timelineHost) {
        m_timelineHost->unregisterTimelineHandler(this);
    }
}

bool STabCtrl2::applyAttribute(const QString& name, const QString& value) {
    if (name.compare(QLatin1String("tabHeadBgSkin"), Qt::CaseInsensitive) == 0) {
        m_headBg = skinAttribute(value);
        update();
        return true;
    }
    return kg::ui::TabCtrl::applyAttribute(name, value);
}

kg::ui::TabPage* STabCtrl2::createPage(const pugi::xml_node& node, kg::ui::LayoutBuilder& builder) {
    // Every page must carry the animation state; elements of another name make no page.
    if (std::strcmp(node.name(), "page2") != 0) {
        qCWarning(lcUi).noquote() << builder.where(node)
                                  << "is not a \"page2\"; a tabctrl2 holds page2 pages only";
        return nullptr;
    }
    kg::ui::Window* w = builder.build(this, node);
    auto* page = qobject_cast<STabPage2*>(w);
    if (w && !page) {
        delete w;
    }
    return page;
}

STabPage2* STabCtrl2::page2(int index) const {
    return qobject_cast<STabPage2*>(page(index));
}

void STabCtrl2::onCreate() {
    kg::ui::TabCtrl::onCreate();
    if (kg::ui::HostWnd* h = host()) {
        h->registerTimelineHandler(this);
        m_timelineHost = h;
    }
    subscribe(kg::ui::kEventTabItemHover, [this](kg::ui::Event& e) {
        onTabItemHover(e.index);
        return false;
    });
    subscribe(kg::ui::kEventTabItemLeave, [this](kg::ui::Event& e) {
        onTabItemLeave(e.index);
        return false;
    });
}

void STabCtrl2::onDestroy() {
    if (m_timelineHost) {
        m_timelineHost->unregisterTimelineHandler(this);
        m_timelineHost = nullptr;
    }
    kg::ui::TabCtrl::onDestroy();
}

void STabCtrl2::onTabItemHover(int index) {
    if (STabPage2* p = page2(index)) {
        p->startAnimation(STabPage2::kPlayingIn, m_frameInterval_ms);
        update(itemRect(index));
    }
}

void STabCtrl2::onTabItemLeave(int index) {
    if (STabPage2* p = page2(index)) {
        p->startAnimation(STabPage2::kPlayingOut, m_frameInterval_ms);
        update(itemRect(index));
    }
}

void STabCtrl2::onStateChanged(unsigned oldState, unsigned newState) {
    update(headRect());
    kg::ui::TabCtrl::onStateChanged(oldState, newState);
}

void STabCtrl2::onNextFrame() {
    for (int i = 0; i < pageCount(); ++i) {
        STabPage2* p = page2(i);
        if (p && p->nextFrame(kFrameCall_ms, m_frameInterval_ms)) {
            update(itemRect(i));
        }
    }
}

QRect STabCtrl2::frameRect() const {
    // The frame goes round the page area: the control without its tab heads.
    const QRect head = headRect();
    QRect r = rect();
    if (!head.isEmpty()) {
        if (tabAlign() == QLatin1String("left")) {
            r.setLeft(head.right() + 1);
        } else {
            r.setTop(head.bottom() + 1);
        }
    }
    return r;
}

void STabCtrl2::paint(QPainter& p) {
    const QRect head = headRect();
    const bool vertical = tabAlign() == QLatin1String("left");
    const kg::ui::Skin* sep = separatorSkin();
    const QSize sepSize = sep ? sep->size() : QSize();
    p.save();
    p.setClipRect(head);
    if (m_headBg) {
        m_headBg->draw(p, head, 0);
    }
    for (int i = 0; i < pageCount(); ++i) {
        const int st = i == curSel() ? 2 : (i == hoverIndex() ? 1 : 0);
        QRect r = itemRect(i);
        if (i > 0 && sep && i != curSel() && i != curSel() + 1) {
            const QRect prev = itemRect(i - 1);
            const QRect band = vertical
                                   ? QRect(r.left(), prev.bottom() + 1, r.width(), sepSize.height())
                                   : QRect(prev.right() + 1, r.top(), sepSize.width(), r.height());
            sep->draw(p, band, 0);
        }
        if (i == curSel() && sep) {
            r = vertical ? r.adjusted(0, -sepSize.height(), 0, sepSize.height())
                         : r.adjusted(-sepSize.width(), 0, sepSize.width(), 0);
        }
        drawItem(p, r, i, st);
    }
    p.restore();
    if (const kg::ui::Skin* frame = frameSkin()) {
        frame->draw(p, frameRect(), 0);
    }
    if (hasFocus() && focusPolicy() != Qt::NoFocus) {
        const QRect cur = itemRect(curSel());
        if (!cur.isEmpty()) {
            p.save();
            p.setPen(QPen(textColor(), 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(cur.adjusted(2, 2, -3, -3));
            p.restore();
        }
    }
}

void STabCtrl2::drawItem(QPainter& p, const QRect& r, int index, int st) {
    if (r.isEmpty()) {
        return;
    }
    if (const kg::ui::Skin* tab = tabSkin()) {
        tab->draw(p, r, st);
    }
    const STabPage2* pg = page2(index);
    const kg::ui::Skin* icon = iconSkin();
    const QRect iconRect(r.topLeft() + iconOffset(), icon ? icon->size() : QSize());
    if (pg && pg->animState() == STabPage2::kPlayingIn && pg->inAnimation()) {
        pg->inAnimation()->draw(p, iconRect, pg->frame());
    } else if (pg && pg->animState() == STabPage2::kPlayingOut && pg->outAnimation()) {
        pg->outAnimation()->draw(p, iconRect, pg->frame());
    } else if (icon) {
        icon->draw(p, iconRect, pg && pg->iconIndex() >= 0 ? pg->iconIndex() : index);
    }
    if (pg) {
        p.setPen(st == 2 ? QColor(0xFF, 0xFF, 0xFF) : textColor());
        p.setFont(font());
        const QString t = translate(pg->title());
        if (hasTextOffset()) {
            p.drawText(r.adjusted(textOffset().x(), textOffset().y(), 0, 0),
                       Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, t);
        } else {
            p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, t);
        }
    }
}
