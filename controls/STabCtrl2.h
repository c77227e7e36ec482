#pragma once

#include "ui/HostWnd.h"
#include "ui/TabCtrl.h"

class STabPage2;

// The tab control variant, tag "tabctrl2": tab heads on a background skin
// ("tabHeadBgSkin"), separators between tabs other than the current one, a current tab widened
// over its separators, and tab icons that play their page's "ani_in" when the mouse enters a
// tab and "ani_out" when it leaves. Pages come only from "page2" child elements. The
// animations run on the host's frame timeline; every call counts as 10 ms and each frame
// lasts 50 ms.
class STabCtrl2 : public kg::ui::TabCtrl, public kg::ui::ITimelineHandler {
    Q_OBJECT
    KG_UI_CLASS(kg::ui::TabCtrl, "tabctrl2")
public:
    static constexpr int kFrameCall_ms = 10;

    explicit STabCtrl2(QWidget* parent = nullptr);
    ~STabCtrl2() override;

    bool applyAttribute(const QString& name, const QString& value) override;
    void onCreate() override;
    void onDestroy() override;
    void onStateChanged(unsigned oldState, unsigned newState) override;
    void paint(QPainter& p) override;
    void onNextFrame() override;

    STabPage2* page2(int index) const;
    const kg::ui::Skin* headBackground() const { return m_headBg; }
    int frameInterval() const { return m_frameInterval_ms; }

protected:
    kg::ui::TabPage* createPage(const pugi::xml_node& node,
                                kg::ui::LayoutBuilder& builder) override;
    void drawItem(QPainter& p, const QRect& rect, int index, int state) override;

private:
    void onTabItemHover(int index);
    void onTabItemLeave(int index);
    QRect frameRect() const;

    const kg::ui::Skin* m_headBg = nullptr;
    int m_frameInterval_ms = 50;
    kg::ui::HostWnd* m_timelineHost = nullptr;
};
