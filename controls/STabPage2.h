#pragma once

#include "ui/TabCtrl.h"

namespace kg::ui {
class Skin;
}

// The page of a STabCtrl2, tag "page2": it carries the two frame animations of its tab icon,
// "ani_in" (played while the mouse enters the tab, its last frame held) and "ani_out" (played
// when the mouse leaves), and where its tab's animation stands.
class STabPage2 : public kg::ui::TabPage {
    Q_OBJECT
    KG_UI_CLASS(kg::ui::TabPage, "page2")
public:
    enum AnimState : int { kIdle = 0, kPlayingIn = 1, kPlayingOut = 2 };

    explicit STabPage2(QWidget* parent = nullptr);
    ~STabPage2() override;

    bool applyAttribute(const QString& name, const QString& value) override;

    const kg::ui::Skin* inAnimation() const { return m_aniIn; }
    const kg::ui::Skin* outAnimation() const { return m_aniOut; }
    int animState() const { return m_animState; }
    int frame() const { return m_frame; }
    int frameTimeLeft() const { return m_frameTimeLeft; }

    // The tab control steps the animation.
    void startAnimation(int state, int frameInterval_ms);
    // One frame call of `elapsed_ms`; true when the tab must be drawn again.
    bool nextFrame(int elapsed_ms, int frameInterval_ms);

private:
    int m_animState = kIdle;
    int m_frame = 0;
    int m_frameTimeLeft = 0;
    const kg::ui::Skin* m_aniIn = nullptr;
    const kg::ui::Skin* m_aniOut = nullptr;
};
