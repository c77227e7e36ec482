// The tab control variant with its pages and the animated image, stepped frame by frame
// through the host's timeline (each call is 10 ms; frames last 50 ms, so a frame changes
// every fifth call).

#include "ControlsTestSupport.h"
#include "controls/SAnimImg.h"
#include "controls/STabCtrl2.h"
#include "controls/STabPage2.h"

namespace {

using kgtest::ToolkitTest;

const std::vector<QColor> kIcons = kgtest::distinctColours(3, 0);
const std::vector<QColor> kIn = kgtest::distinctColours(5, 10);
const std::vector<QColor> kOut = kgtest::distinctColours(5, 25);
const std::vector<QColor> kTabs = {QColor(40, 40, 40), QColor(60, 60, 60), QColor(80, 80, 80)};
const QColor kSep(250, 250, 250);
const QColor kHeadBg(5, 6, 7);

QColor at(const QImage& img, QPoint pt) {
    return QColor(img.pixel(pt));
}

class TabCtrl2Test : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        kgtest::addStripSkin(*m_toolkit, QStringLiteral("icons"), kIcons, QSize(20, 20));
        kgtest::addStripSkin(*m_toolkit, QStringLiteral("in5"), kIn, QSize(20, 20));
        kgtest::addStripSkin(*m_toolkit, QStringLiteral("out5"), kOut, QSize(20, 20));
        kgtest::addStripSkin(*m_toolkit, QStringLiteral("tabs3"), kTabs, QSize(100, 40));
        kgtest::addStripSkin(*m_toolkit, QStringLiteral("sep"), {kSep}, QSize(4, 40));
        kgtest::addStripSkin(*m_toolkit, QStringLiteral("headbg"), {kHeadBg}, QSize(10, 10));
        m_host = buildHost(
            "<layout size=\"400,200\">"
            "<tabctrl2 name=\"tabs\" pos=\"0,0,400,200\" tabWidth=\"100\" tabHeight=\"40\" "
            "tabInterval=\"4\" iconSkin=\"icons\" iconPos=\"10,8\" tabSkin=\"tabs3\" "
            "tabSepSkin=\"sep\" tabHeadBgSkin=\"headbg\" curSel=\"0\">"
            "<page2 name=\"p0\" ani_in=\"in5\" ani_out=\"out5\"/>"
            "<page2 name=\"p1\" ANI_IN=\"in5\" Ani_Out=\"out5\"/>"
            "<page name=\"plain\"/>"
            "<page2 name=\"p2\" iconIndex=\"2\"/>"
            "<window name=\"other\"/>"
            "</tabctrl2></layout>");
        m_tabs = m_host->findChildAs<STabCtrl2>(QStringLiteral("tabs"));
        ASSERT_NE(m_tabs, nullptr);
    }
    // Tab i's head and its icon's centre (the icon sits at 10, 8 in the head).
    static QPoint head(int i) { return QPoint(i * 104 + 50, 30); }
    static QPoint icon(int i) { return QPoint(i * 104 + 20, 18); }
    QColor iconShown(int i) { return at(kgtest::render(m_tabs), icon(i)); }

    kg::ui::HostWnd* m_host = nullptr;
    STabCtrl2* m_tabs = nullptr;
};

TEST_F(TabCtrl2Test, MakesPagesOnlyFromPage2Elements) {
    ASSERT_EQ(m_tabs->pageCount(), 3);
    EXPECT_EQ(m_tabs->page(0)->name(), QStringLiteral("p0"));
    EXPECT_EQ(m_tabs->page(1)->name(), QStringLiteral("p1"));
    EXPECT_EQ(m_tabs->page(2)->name(), QStringLiteral("p2"));
    EXPECT_EQ(m_host->findChildByName(QStringLiteral("plain")), nullptr);
    EXPECT_EQ(m_host->findChildByName(QStringLiteral("other")), nullptr);
    ASSERT_NE(m_tabs->page2(1), nullptr);
    EXPECT_NE(m_tabs->page2(1)->inAnimation(), nullptr) << "attribute names ignore case";
    EXPECT_NE(m_tabs->page2(1)->outAnimation(), nullptr);
    EXPECT_EQ(m_tabs->frameInterval(), 50);
}

TEST_F(TabCtrl2Test, TabsWithoutAnimationShowTheStaticIcon) {
    const QImage shot = kgtest::render(m_tabs);
    // Page 2 names icon 2; the others use their tab index. The current tab 0 is widened over
    // the separators on both sides, so its icon sits 4 pixels further left.
    EXPECT_EQ(at(shot, icon(0) - QPoint(4, 0)), kIcons[0]);
    EXPECT_EQ(at(shot, icon(1)), kIcons[1]);
    EXPECT_EQ(at(shot, icon(2)), kIcons[2]);
}

TEST_F(TabCtrl2Test, PaintsHeadBackgroundSeparatorsAndTheWidenedCurrentTab) {
    const QImage shot = kgtest::render(m_tabs);
    EXPECT_EQ(at(shot, QPoint(2, 35)), kTabs[2]) << "the current tab";
    EXPECT_EQ(at(shot, QPoint(102, 35)), kTabs[2]) << "widened over the gap after it";
    EXPECT_EQ(at(shot, QPoint(150, 35)), kTabs[0]);
    EXPECT_EQ(at(shot, QPoint(205, 20)), kSep) << "the gap before tab 2";
    EXPECT_EQ(at(shot, QPoint(350, 20)), kHeadBg) << "the head right of the last tab";
    EXPECT_EQ(qAlpha(shot.pixel(350, 100)), 0) << "the head background stays in the head";
    ASSERT_TRUE(m_tabs->setCurSel(1));
    const QImage second = kgtest::render(m_tabs);
    EXPECT_EQ(at(second, QPoint(102, 35)), kTabs[2]) << "tab 1 widened to the left";
    EXPECT_EQ(at(second, QPoint(205, 20)), kTabs[2]) << "and to the right";
    EXPECT_EQ(at(second, QPoint(2, 35)), kTabs[0]);
}

TEST_F(TabCtrl2Test, HoverShowsTheFramesInTurnThenHoldsTheLast) {
    kgtest::moveTo(m_tabs, head(1));
    ASSERT_EQ(m_tabs->hoverIndex(), 1);
    for (int call = 0; call <= 40; ++call) {
        const int frame = std::min(call / 5, 4);
        EXPECT_EQ(iconShown(1), kIn[static_cast<size_t>(frame)]) << "after " << call << " calls";
        EXPECT_EQ(m_tabs->page2(1)->animState(), STabPage2::kPlayingIn);
        m_host->runTimelineFrame();
    }
    EXPECT_EQ(at(kgtest::render(m_tabs), icon(0) - QPoint(4, 0)), kIcons[0])
        << "the other tabs keep their static icons";
}

TEST_F(TabCtrl2Test, LeaveShowsTheOutFramesButTheLastThenTheStaticIcon) {
    kgtest::moveTo(m_tabs, head(1));
    for (int call = 0; call < 12; ++call) {
        m_host->runTimelineFrame();
    }
    kgtest::moveTo(m_tabs, QPoint(350, 100));  // off the heads
    ASSERT_EQ(m_tabs->hoverIndex(), -1);
    for (int call = 0; call <= 30; ++call) {
        const QColor expected = call < 20 ? kOut[static_cast<size_t>(call / 5)] : kIcons[1];
        EXPECT_EQ(iconShown(1), expected) << "after " << call << " calls";
        m_host->runTimelineFrame();
    }
    EXPECT_EQ(m_tabs->page2(1)->animState(), STabPage2::kIdle);
}

TEST_F(TabCtrl2Test, MovingFromTabToTabStartsOneOutAndOneInAnimation) {
    kgtest::moveTo(m_tabs, head(0));
    kgtest::moveTo(m_tabs, head(1));
    EXPECT_EQ(m_tabs->page2(0)->animState(), STabPage2::kPlayingOut);
    EXPECT_EQ(m_tabs->page2(1)->animState(), STabPage2::kPlayingIn);
    EXPECT_EQ(m_tabs->page2(2)->animState(), STabPage2::kIdle);
    // A page without animations returns to idle after its first frame.
    kgtest::moveTo(m_tabs, head(2));
    EXPECT_EQ(m_tabs->page2(2)->animState(), STabPage2::kPlayingIn);
    for (int call = 0; call < 5; ++call) {
        m_host->runTimelineFrame();
    }
    EXPECT_EQ(m_tabs->page2(2)->animState(), STabPage2::kIdle);
    EXPECT_EQ(iconShown(2), kIcons[2]);
}

TEST_F(TabCtrl2Test, LeavesTheTimelineWhenTheWindowIsDestroyed) {
    EXPECT_EQ(m_host->timelineHandlerCount(), 1);
    m_host->destroyWindow();
    EXPECT_EQ(m_host->timelineHandlerCount(), 0);
}

// ---- animated image ---------------------------------------------------------------------

const std::vector<QColor> kIn4 = kgtest::distinctColours(4, 40);
const std::vector<QColor> kOut3 = kgtest::distinctColours(3, 55);

class AnimImgTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        kgtest::addStripSkin(*m_toolkit, QStringLiteral("in4"), kIn4, QSize(20, 16));
        kgtest::addStripSkin(*m_toolkit, QStringLiteral("out3"), kOut3, QSize(20, 16));
    }
    SAnimImg* make(const QString& attrs) {
        m_host =
            buildHost(QStringLiteral("<layout size=\"200,100\"><anmimg name=\"a\" %1/></layout>")
                          .arg(attrs)
                          .toUtf8());
        auto* a = m_host->findChildAs<SAnimImg>(QStringLiteral("a"));
        EXPECT_NE(a, nullptr);
        return a;
    }
    // What the image shows: the colour at its centre.
    QColor shown(SAnimImg* a) { return at(kgtest::render(a), QPoint(10, 8)); }
    void run(int calls) {
        for (int i = 0; i < calls; ++i) {
            m_host->runTimelineFrame();
        }
    }
    kg::ui::HostWnd* m_host = nullptr;
};

TEST_F(AnimImgTest, DesiredSizeIsTheFrameSizeWhereTheLayoutLeavesItOpen) {
    SAnimImg* a = make(QStringLiteral("pos=\"10,10\" ani_in=\"in4\""));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->size(), QSize(20, 16));
    SAnimImg* b = make(QStringLiteral("pos=\"10,10,100,-1\" ani_in=\"in4\""));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->size(), QSize(100, 16));
    SAnimImg* c = make(QStringLiteral("pos=\"10,10\""));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->desiredSize(), QSize(0, 0));
}

TEST_F(AnimImgTest, AttributesAndDefaults) {
    SAnimImg* a =
        make(QStringLiteral("pos=\"0,0\" INTERVAL=\"0x20\" AutoRun=\"7\" ani_in=\"in4\""));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->frameInterval(), 32);
    EXPECT_EQ(a->autorunPeriod(), 7);
    EXPECT_EQ(a->autorunDelay(), 7000);
    EXPECT_TRUE(a->autorunArmed());
    SAnimImg* b = make(QStringLiteral("pos=\"0,0\" ani_in=\"in4\""));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->frameInterval(), 50);
    EXPECT_EQ(b->autorunPeriod(), -1);
    EXPECT_FALSE(b->autorunArmed());
    EXPECT_EQ(m_host->timelineHandlerCount(), 1);
}

TEST_F(AnimImgTest, WithoutAutorunRestsOnFrameZero) {
    SAnimImg* a = make(QStringLiteral("pos=\"0,0\" ani_in=\"in4\" ani_out=\"out3\""));
    ASSERT_NE(a, nullptr);
    run(500);
    EXPECT_EQ(a->animState(), SAnimImg::kIdle);
    EXPECT_EQ(shown(a), kIn4[0]);
}

TEST_F(AnimImgTest, LeftEarlyItFinishesTheInAnimationThenPlaysTheOutAnimation) {
    SAnimImg* a = make(QStringLiteral("pos=\"0,0\" ani_in=\"in4\" ani_out=\"out3\""));
    ASSERT_NE(a, nullptr);
    kgtest::enter(a, QPoint(5, 5));
    EXPECT_EQ(a->hoverCount(), 1);
    // Calls after the hover -> what shows: each frame five calls, in 0..3, then out 0..2,
    // then rest (in frame 0).
    struct Span {
        int from;
        QColor colour;
        int state;
    };
    const std::vector<Span> expected = {
        {0, kIn4[0], SAnimImg::kPlayingIn},    {5, kIn4[1], SAnimImg::kPlayingIn},
        {10, kIn4[2], SAnimImg::kPlayingIn},   {15, kIn4[3], SAnimImg::kPlayingIn},
        {20, kOut3[0], SAnimImg::kPlayingOut}, {25, kOut3[1], SAnimImg::kPlayingOut},
        {30, kOut3[2], SAnimImg::kPlayingOut}, {35, kIn4[0], SAnimImg::kIdle},
    };
    for (int call = 0; call <= 45; ++call) {
        if (call == 2) {
            kgtest::leave(a);
            EXPECT_EQ(a->hoverCount(), 0);
        }
        size_t span = 0;
        while (span + 1 < expected.size() && expected[span + 1].from <= call) {
            ++span;
        }
        EXPECT_EQ(shown(a), expected[span].colour) << "after " << call << " calls";
        EXPECT_EQ(a->animState(), expected[span].state) << "after " << call << " calls";
        run(1);
    }
}

TEST_F(AnimImgTest, HeldOnTheLastFrameWhileHoveredAndOutWithinOneIntervalAfterLeaving) {
    SAnimImg* a = make(QStringLiteral("pos=\"0,0\" ani_in=\"in4\" ani_out=\"out3\""));
    ASSERT_NE(a, nullptr);
    kgtest::enter(a, QPoint(5, 5));
    run(15);
    for (int call = 0; call < 60; ++call) {
        EXPECT_EQ(shown(a), kIn4[3]);
        run(1);
    }
    kgtest::leave(a);
    int calls = 0;
    while (a->animState() != SAnimImg::kPlayingOut && calls < 100) {
        run(1);
        ++calls;
    }
    EXPECT_GE(calls, 1);
    EXPECT_LE(calls, 5);
    EXPECT_EQ(shown(a), kOut3[0]);
}

TEST_F(AnimImgTest, WithoutOutAnimationItHoldsTheLastFrameAfterLeaving) {
    SAnimImg* a = make(QStringLiteral("pos=\"0,0\" ani_in=\"in4\""));
    ASSERT_NE(a, nullptr);
    kgtest::enter(a, QPoint(5, 5));
    kgtest::leave(a);
    run(100);
    EXPECT_EQ(a->animState(), SAnimImg::kPlayingIn);
    EXPECT_EQ(shown(a), kIn4[3]);
}

TEST_F(AnimImgTest, AutorunZeroRepeatsTheInAnimationWithoutPause) {
    SAnimImg* a = make(QStringLiteral("pos=\"0,0\" ani_in=\"in4\" autorun=\"0\""));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(shown(a), kIn4[0]);
    // The first call starts it; after that each of the four frames shows for five calls and
    // the next round starts in the call that ends the last frame.
    for (int call = 1; call <= 60; ++call) {
        run(1);
        const size_t frame = static_cast<size_t>(((call - 1) % 20) / 5);
        EXPECT_EQ(a->animState(), SAnimImg::kPlayingIn) << "after " << call << " calls";
        EXPECT_EQ(shown(a), kIn4[frame]) << "after " << call << " calls";
    }
}

TEST_F(AnimImgTest, AutorunThreeRestsOnFrameZeroForThreeSecondsBetweenRounds) {
    SAnimImg* a = make(QStringLiteral("pos=\"0,0\" ani_in=\"in4\" autorun=\"3\""));
    ASSERT_NE(a, nullptr);
    std::vector<int> starts;
    int previous = SAnimImg::kIdle;
    for (int call = 1; call <= 1000; ++call) {
        run(1);
        if (a->animState() == SAnimImg::kPlayingIn && previous == SAnimImg::kIdle) {
            starts.push_back(call);
        }
        if (a->animState() == SAnimImg::kIdle && call % 50 == 0) {
            EXPECT_EQ(shown(a), kIn4[0]) << "resting, after " << call << " calls";
        }
        previous = a->animState();
    }
    // 3000 ms to the first round; later rounds wait 3000 ms after the round ended, which
    // takes 4 frames of 5 calls, the last call of which already counts towards the wait.
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[0], 300);
    EXPECT_EQ(starts[1] - starts[0], 300 + 4 * 5 - 1);
    EXPECT_EQ(starts[2] - starts[1], 300 + 4 * 5 - 1);
}

TEST_F(AnimImgTest, HoverRestartsTheInAnimation) {
    SAnimImg* a = make(QStringLiteral("pos=\"0,0\" ani_in=\"in4\" ani_out=\"out3\""));
    ASSERT_NE(a, nullptr);
    kgtest::enter(a, QPoint(5, 5));
    run(12);
    EXPECT_EQ(shown(a), kIn4[2]);
    kgtest::leave(a);
    kgtest::enter(a, QPoint(5, 5));
    EXPECT_EQ(a->hoverCount(), 1);
    EXPECT_EQ(shown(a), kIn4[0]);
}

}  // namespace
