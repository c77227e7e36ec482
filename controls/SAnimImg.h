#pragma once

#include "ui/HostWnd.h"
#include "ui/Window.h"

namespace kg::ui {
class Skin;
}

// An animated image, tag "anmimg": it plays "ani_in" when the mouse enters it and "ani_out"
// after the mouse has left and the in animation has ended; with "autorun" (seconds, -1 off)
// it plays the in animation on its own again and again, resting on frame 0 in between.
// "interval" is the length of one frame in milliseconds. The frames run on the host's frame
// timeline; every call counts as 10 ms.
class SAnimImg : public kg::ui::Window, public kg::ui::ITimelineHandler {
    Q_OBJECT
    KG_UI_CLASS(kg::ui::Window, "anmimg")
public:
    static constexpr int kFrameCall_ms = 10;
    enum AnimState : int { kIdle = 0, kPlayingIn = 1, kPlayingOut = 2 };

    explicit SAnimImg(QWidget* parent = nullptr);
    ~SAnimImg() override;

    bool applyAttribute(const QString& name, const QString& value) override;
    QSize desiredSize() const override;
    void onCreate() override;
    void onDestroy() override;
    void paint(QPainter& p) override;
    void onMouseHover() override;
    void onMouseLeave() override;
    void onNextFrame() override;

    int frameInterval() const { return m_interval_ms; }
    int autorunPeriod() const { return m_autorunPeriod_s; }
    int autorunDelay() const { return m_autorunDelay_ms; }
    bool autorunArmed() const { return m_autorunArmed; }
    int hoverCount() const { return m_hoverCount; }
    int animState() const { return m_state; }
    int frame() const { return m_frame; }
    const kg::ui::Skin* inAnimation() const { return m_aniIn; }
    const kg::ui::Skin* outAnimation() const { return m_aniOut; }
    // The animation and frame that painting shows now (null: nothing).
    const kg::ui::Skin* shownAnimation(int* frame) const;

private:
    void step();

    int m_interval_ms = 50;
    int m_autorunPeriod_s = -1;
    int m_autorunDelay_ms = 0;
    bool m_autorunArmed = false;
    int m_hoverCount = 0;
    int m_state = kIdle;
    int m_frame = 0;
    int m_frameTime_ms = 0;
    int m_autorunTime_ms = 0;
    const kg::ui::Skin* m_aniIn = nullptr;
    const kg::ui::Skin* m_aniOut = nullptr;
    kg::ui::HostWnd* m_timelineHost = nullptr;
};
