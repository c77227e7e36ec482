#include "controls/SAnimImg.h"

#include <QPainter>

#include "ui/Skin.h"

SAnimImg::SAnimImg(QWidget* parent) : kg::ui::Window(parent) {
    // Hover and leave notifications come with the mouse tracking.
    setMouseTracking(true);
}

SAnimImg::~SAnimImg() {
    if (m_timelineHost && host() == m_timelineHost) {
        m_timelineHost->unregisterTimelineHandler(this);
    }
}

bool SAnimImg::applyAttribute(const QString& name, const QString& value) {
    if (name.compare(QLatin1String("interval"), Qt::CaseInsensitive) == 0) {
        m_interval_ms = parseInt(value, 0);
    } else if (name.compare(QLatin1String("autorun"), Qt::CaseInsensitive) == 0) {
        m_autorunPeriod_s = parseInt(value, 0);
    } else if (name.compare(QLatin1String("ani_in"), Qt::CaseInsensitive) == 0) {
        m_aniIn = skinAttribute(value);
        update();
    } else if (name.compare(QLatin1String("ani_out"), Qt::CaseInsensitive) == 0) {
        m_aniOut = skinAttribute(value);
    } else {
        return kg::ui::Window::applyAttribute(name, value);
    }
    return true;
}

QSize SAnimImg::desiredSize() const {
    // The layout's own width or height, where it gives one, replaces this one.
    return m_aniIn ? m_aniIn->size() : QSize(0, 0);
}

void SAnimImg::onCreate() {
    kg::ui::Window::onCreate();
    if (kg::ui::HostWnd* h = host()) {
        h->registerTimelineHandler(this);
        m_timelineHost = h;
    }
    if (m_autorunPeriod_s >= 0) {
        // Periods beyond what the millisecond counter holds wait as long as it can count.
        const long long delay = static_cast<long long>(m_autorunPeriod_s) * 1000;
        m_autorunDelay_ms = delay > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(delay);
        m_autorunArmed = true;
    }
}

void SAnimImg::onDestroy() {
    if (m_timelineHost) {
        m_timelineHost->unregisterTimelineHandler(this);
        m_timelineHost = nullptr;
    }
    kg::ui::Window::onDestroy();
}

void SAnimImg::onMouseHover() {
    ++m_hoverCount;
    m_state = kPlayingIn;
    m_frame = 0;
    m_frameTime_ms = 0;
    m_autorunTime_ms = 0;
    update();
    kg::ui::Window::onMouseHover();
}

void SAnimImg::onMouseLeave() {
    --m_hoverCount;
    kg::ui::Window::onMouseLeave();
}

void SAnimImg::onNextFrame() {
    if (m_state != kIdle) {
        m_frameTime_ms += kFrameCall_ms;
        if (m_frameTime_ms >= m_interval_ms) {
            step();
            m_frameTime_ms = 0;
        }
    }
    if (m_autorunArmed) {
        m_autorunTime_ms += kFrameCall_ms;
        if (m_autorunTime_ms >= m_autorunDelay_ms) {
            m_autorunTime_ms = 0;
            m_frame = 0;
            m_autorunArmed = false;
            m_state = kPlayingIn;
        }
    }
}

void SAnimImg::step() {
    if (m_state == kPlayingIn && m_aniIn) {
        ++m_frame;
        const int count = m_aniIn->stateCount();
        if (m_frame < count) {
            update();
            return;
        }
        if (m_autorunPeriod_s != -1) {
            if (m_autorunPeriod_s == 0) {
                m_frame = 0;
            }
            m_state = kIdle;
            m_autorunArmed = true;
            update();
            return;
        }
        m_frame = count - 1;
        if (m_hoverCount <= 0 && m_aniOut) {
            m_state = kPlayingOut;
            m_frame = 0;
            m_frameTime_ms = 0;
        }
        update();
    } else if (m_state == kPlayingOut && m_aniOut) {
        if (m_frame < m_aniOut->stateCount() - 1) {
            ++m_frame;
            update();
        } else {
            m_state = kIdle;
        }
    }
}

const kg::ui::Skin* SAnimImg::shownAnimation(int* frame) const {
    int f = 0;
    const kg::ui::Skin* s = nullptr;
    if (m_state == kPlayingIn && m_aniIn) {
        s = m_aniIn;
        f = m_frame;
    } else if (m_state == kPlayingOut && m_aniOut) {
        s = m_aniOut;
        f = m_frame;
    } else if (m_aniIn) {
        s = m_aniIn;
    }
    if (frame) {
        *frame = f;
    }
    return s;
}

void SAnimImg::paint(QPainter& p) {
    int f = 0;
    if (const kg::ui::Skin* s = shownAnimation(&f)) {
        s->draw(p, rect(), f);
    }
}
