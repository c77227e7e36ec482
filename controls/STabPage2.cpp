#include "controls/STabPage2.h"

#include "ui/Skin.h"

STabPage2::STabPage2(QWidget* parent) : kg::ui::TabPage(parent) {}

STabPage2::~STabPage2() = default;

bool STabPage2::applyAttribute(const QString& name, const QString& value) {
    if (name.compare(QLatin1String("ani_in"), Qt::CaseInsensitive) == 0) {
        m_aniIn = skinAttribute(value);
    } else if (name.compare(QLatin1String("ani_out"), Qt::CaseInsensitive) == 0) {
        m_aniOut = skinAttribute(value);
    } else {
        return kg::ui::TabPage::applyAttribute(name, value);
    }
    return true;
}

void STabPage2::startAnimation(int state, int frameInterval_ms) {
    m_animState = state;
    m_frame = 0;
    m_frameTimeLeft = frameInterval_ms;
}

bool STabPage2::nextFrame(int elapsed_ms, int frameInterval_ms) {
    if (m_animState == kIdle) {
        return false;
    }
    m_frameTimeLeft -= elapsed_ms;
    if (m_frameTimeLeft > 0) {
        return false;
    }
    ++m_frame;
    if (m_animState == kPlayingIn) {
        if (!m_aniIn) {
            m_animState = kIdle;
        } else if (m_frame >= m_aniIn->stateCount() - 1) {
            // A hovered tab keeps the last frame.
            m_frame = m_aniIn->stateCount() - 1;
        }
    } else if (m_animState == kPlayingOut) {
        // The out animation's last frame is not shown: the tab returns to its static icon.
        if (!m_aniOut || m_frame >= m_aniOut->stateCount() - 1) {
            m_animState = kIdle;
        }
    }
    m_frameTimeLeft = frameInterval_ms;
    return true;
}
