#include <gtest/gtest.h>
#include <QComboBox>
#include <QCoreApplication>

#include "app/NamedIdTable.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ComboBox.h"
#include "ui/Controls.h"
#include "ui/HostWnd.h"
#include "ui/Toolkit.h"

using namespace kg::ui;
using namespace kg::ui::test;

namespace {
const char* kIndex =
    "<resource><LAYOUT><file name='t' path='t.xml'/><file name='bad' path='bad.xml'/>"
    "<file name='noroot' path='noroot.xml'/><file name='geo' path='geo.xml'/>"
    "<file name='skins' path='skins.xml'/></LAYOUT>"
    "<translator><file name='lang_cn' path='cn.xml'/></translator></resource>";

const char* kLayout = R"(<?xml version="1.0"?>
<layout size="300,200" title="Warning">
  <text name="version" pos="0,0,100,20" text="Speed"/>
  <combobox name="cbx_color_effect" pos="0,30,100,24">
    <items><item text="Static"/><item text="Speed"/></items>
  </combobox>
  <window name="not_in_table" pos="0,60,10,10">
    <button name="btn_more" pos="0,0,10,10" text="Speed"/>
  </window>
  <fancything name="unknown_one" pos="0,0,5,5"><text name="inside_unknown"/></fancything>
  <text name="after_unknown" pos="0,80,50,20" wobble="3"/>
</layout>)";

// Each text's name says the geometry it must end with; "desired" stands for the control's
// desired size.
const char* kGeometryLayout = R"(<layout size="300,200">
  <text name="four_part" pos="5,6,30,40" text="Speed"/>
  <text name="pos_then_size" pos="5,6" size="70,20" text="Speed"/>
  <text name="size_then_pos" size="70,20" pos="5,6" text="Speed"/>
  <text name="pos_alone" pos="5,6" text="Speed"/>
  <text name="open_width" pos="5,6,-1,20" text="Speed"/>
  <text name="size_open_width" size="-1,20" text="Speed"/>
</layout>)";

const char* kChinese = R"(<language name="cn"><context name="">
  <string src="Speed" dst="速度"/><string src="Static" dst="常亮"/><string src="Warning" dst="警告"/>
</context></language>)";

struct Fixture : ::testing::Test {
    TempResources res{{{"uires.idx", kIndex},
                       {"t.xml", kLayout},
                       {"bad.xml", "<layout size='10,10'>\n<text name='a'>\n</layout>"},
                       {"noroot.xml", "<window/>"},
                       {"geo.xml", kGeometryLayout},
                       {"skins.xml",
                        "<layout size='10,10'><text name='plain' skin='no_such_skin'/>"
                        "<sliderbar name='bar' thumbSkin='nor_this'/></layout>"},
                       {"cn.xml", kChinese}}};
    Toolkit tk;
    void SetUp() override {
        ASSERT_TRUE(res.ok());
        ASSERT_TRUE(tk.resources().openFolder(res.folder()));
        tk.namedIds().registerTable(kNamedIds, kNamedIdCount, true);
    }
    bool switchTo(const QString& resource) { return tk.installLanguage(resource); }
};
}  // namespace

using HostWindow = Fixture;

TEST_F(HostWindow, ControlsAreFoundByNameAndByNamedId) {
    HostWnd w(QStringLiteral("layout:T"));
    DiagnosticCatcher diag;
    w.create();
    Window* byName = w.findChildByName(QStringLiteral("cbx_color_effect"));
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(byName->id(), 65541);
    EXPECT_EQ(w.findChildById(65541), byName);
    EXPECT_EQ(w.findChildById(65537, QStringLiteral("button")),
              w.findChildByName(QStringLiteral("btn_more")));
    EXPECT_EQ(w.size(), QSize(300, 200));
}

TEST_F(HostWindow, PositionAndSizeCombineWhateverTheirOrder) {
    HostWnd w(QStringLiteral("LAYOUT:geo"));
    ASSERT_TRUE(w.create());
    const QSize d = w.findChildByName(QStringLiteral("pos_alone"))->desiredSize();
    ASSERT_GT(d.width(), 0);
    const struct {
        const char* name;
        QRect geometry;
    } cases[] = {{"four_part", QRect(5, 6, 30, 40)},
                 {"pos_then_size", QRect(5, 6, 70, 20)},
                 {"size_then_pos", QRect(5, 6, 70, 20)},
                 {"pos_alone", QRect(QPoint(5, 6), d)},
                 {"open_width", QRect(5, 6, d.width(), 20)},
                 {"size_open_width", QRect(0, 0, d.width(), 20)}};
    for (const auto& c : cases) {
        Window* control = w.findChildByName(QString::fromLatin1(c.name));
        ASSERT_NE(control, nullptr) << c.name;
        EXPECT_EQ(control->geometry(), c.geometry) << c.name;
    }
}

TEST_F(HostWindow, ASkinThatIsNeitherNamedNorAnImageIsReportedWithItsControl) {
    DiagnosticCatcher diag;
    HostWnd w(QStringLiteral("LAYOUT:skins"));
    w.create();
    EXPECT_NE(w.findChildByName(QStringLiteral("plain")), nullptr);
    EXPECT_TRUE(diag.contains(QStringLiteral("no_such_skin")))
        << diag.messages().join('\n').toStdString();
    EXPECT_TRUE(diag.contains(QStringLiteral("\"plain\"")));
    EXPECT_TRUE(diag.contains(QStringLiteral("nor_this")));
}

TEST_F(HostWindow, ANameMissingFromTheTableGetsNoId) {
    HostWnd w(QStringLiteral("LAYOUT:t"));
    w.create();
    Window* c = w.findChildByName(QStringLiteral("not_in_table"));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->id(), 0);
    EXPECT_EQ(w.findChildById(0), nullptr);
    EXPECT_EQ(w.findChildById(-1), nullptr);
    EXPECT_EQ(w.findChildById(65538), nullptr);  // btn_min: in the table, not in this layout
}

TEST_F(HostWindow, ALookupOfTheWrongClassFindsNothingAndSaysSo) {
    HostWnd w(QStringLiteral("LAYOUT:t"));
    w.create();
    DiagnosticCatcher diag;
    EXPECT_EQ(w.findChildByName(QStringLiteral("cbx_color_effect"), QStringLiteral("sliderbar")),
              nullptr);
    EXPECT_TRUE(diag.contains(QStringLiteral("cbx_color_effect")));
    EXPECT_NE(w.findChildAs<Text>(QStringLiteral("version")), nullptr);
    EXPECT_EQ(w.findChildAs<Button>(QStringLiteral("version")), nullptr);
}

TEST_F(HostWindow, AnUnknownTagIsReportedWithFileAndLineAndSkipped) {
    DiagnosticCatcher diag;
    HostWnd w(QStringLiteral("LAYOUT:t"));
    EXPECT_FALSE(w.create());
    EXPECT_TRUE(diag.contains(QStringLiteral("t.xml:10: <fancything>")))
        << diag.messages().join('\n').toStdString();
    EXPECT_TRUE(diag.contains(QStringLiteral("wobble")));
    EXPECT_EQ(w.findChildByName(QStringLiteral("inside_unknown")), nullptr);
    EXPECT_NE(w.findChildByName(QStringLiteral("after_unknown")), nullptr);
}

TEST_F(HostWindow, AMalformedOrMissingLayoutLeavesAnEmptyWindow) {
    struct {
        const char* resource;
        const char* said;
    } cases[] = {{"LAYOUT:bad", "bad.xml:3"},
                 {"LAYOUT:noroot", "no <layout> root"},
                 {"LAYOUT:absent", "LAYOUT:absent"}};
    for (const auto& c : cases) {
        DiagnosticCatcher diag;
        HostWnd w{QString::fromLatin1(c.resource)};
        EXPECT_FALSE(w.create()) << c.resource;
        EXPECT_TRUE(diag.contains(QString::fromLatin1(c.said)))
            << c.resource << ": " << diag.messages().join('\n').toStdString();
        EXPECT_EQ(w.findChildByName(QStringLiteral("a")), nullptr);
        w.sendMessage(kMsgInitDialog);
        w.destroyWindow();
    }
}

// The same layout text in memory builds the same window; a malformed one, or one without a
// layout root, leaves it empty and names the origin given.
TEST_F(HostWindow, ALayoutFromMemoryBuildsTheSameWindow) {
    HostWnd fromFolder(QStringLiteral("layout:T"));
    const bool built = fromFolder.create();  // false: the layout has an unknown tag
    HostWnd fromMemory(QStringLiteral("layout:T"));
    EXPECT_EQ(fromMemory.createFromBuffer(kLayout, QStringLiteral("in-memory.xml")), built);
    EXPECT_EQ(fromMemory.size(), fromFolder.size());
    const auto controls = fromFolder.root()->findChildren<Window*>();
    ASSERT_GE(controls.size(), 4);
    for (Window* c : controls) {
        if (c->name().isEmpty()) {
            continue;
        }
        Window* same = fromMemory.findChildByName(c->name());
        ASSERT_NE(same, nullptr) << c->name().toStdString();
        EXPECT_EQ(same->className(), c->className());
        EXPECT_EQ(same->id(), c->id());
        EXPECT_EQ(same->geometry(), c->geometry());
    }

    struct {
        const char* text;
        const char* said;
    } cases[] = {{"<layout size='10,10'>\n<text name='a'>\n</layout>", "mem.xml:3"},
                 {"<window/>", "no <layout> root"},
                 {"", "mem.xml:1"}};
    for (const auto& c : cases) {
        DiagnosticCatcher diag;
        HostWnd w(QStringLiteral("layout:mem"));
        EXPECT_FALSE(w.createFromBuffer(c.text, QStringLiteral("mem.xml"))) << c.text;
        EXPECT_TRUE(diag.contains(QString::fromLatin1(c.said)))
            << c.text << ": " << diag.messages().join('\n').toStdString();
        ASSERT_NE(w.root(), nullptr);
        EXPECT_EQ(w.findChildByName(QStringLiteral("a")), nullptr);
        EXPECT_TRUE(w.createFromBuffer(kLayout, QStringLiteral("again.xml"))) << "made once";
        EXPECT_EQ(w.findChildByName(QStringLiteral("a")), nullptr);
    }
}

TEST_F(HostWindow, TheLanguageSwitchTranslatesEveryTextAgain) {
    HostWnd w(QStringLiteral("LAYOUT:t"));
    w.create();
    auto* version = w.findChildByName(QStringLiteral("version"));
    auto* combo = w.findChildAs<ComboBox>(QStringLiteral("cbx_color_effect"));
    auto* button = w.findChildByName(QStringLiteral("btn_more"));
    ASSERT_TRUE(version && combo && button);
    EXPECT_EQ(version->displayText(), QStringLiteral("Speed"));

    ASSERT_TRUE(switchTo(QStringLiteral("translator:lang_cn")));
    EXPECT_EQ(tk.translator().currentLanguage(), QStringLiteral("cn"));
    w.sendMessage(kMsgLanguageChanged);
    EXPECT_EQ(version->displayText(), QStringLiteral("速度"));
    EXPECT_EQ(button->displayText(), QStringLiteral("速度"));
    EXPECT_EQ(combo->comboBox()->itemText(0), QStringLiteral("常亮"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("警告"));
    // A text set at run time is translated as well.
    version->setText(QStringLiteral("Static"));
    EXPECT_EQ(version->displayText(), QStringLiteral("常亮"));
    EXPECT_EQ(tk.tr(QStringLiteral("Not in the file")), QStringLiteral("Not in the file"));

    tk.translator().setCurrentLanguage(QStringLiteral("en"));  // no such language: the sources
    w.sendMessage(kMsgLanguageChanged);
    EXPECT_EQ(combo->comboBox()->itemText(0), QStringLiteral("Static"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Warning"));
}

TEST_F(HostWindow, AMissingTranslationLeavesTheTexts) {
    EXPECT_FALSE(switchTo(QStringLiteral("translator:lang_xx")));
    EXPECT_EQ(tk.tr(QStringLiteral("Speed")), QStringLiteral("Speed"));
}

namespace {
class Recorder : public HostWnd {
public:
    using HostWnd::HostWnd;
    QStringList log;

protected:
    bool processMessage(unsigned msg, uintptr_t wp, intptr_t lp, intptr_t& result) override {
        if (msg == kMsgClose) {
            log << QStringLiteral("close");
        }
        return HostWnd::processMessage(msg, wp, lp, result);
    }
    void onInitDialog() override { log << QStringLiteral("init"); }
    void onMenuCommand(int id) override { log << QStringLiteral("menu %1").arg(id); }
    void onDeviceChange(uintptr_t ev, intptr_t) override {
        log << QStringLiteral("device %1").arg(ev, 0, 16);
    }
    void onDestroyMessage() override { log << QStringLiteral("destroy"); }
    bool onEvent(Event& e) override {
        log << QStringLiteral("event %1 %2 %3").arg(e.id).arg(e.senderName).arg(e.senderId);
        return e.senderName == QLatin1String("btn_more");
    }
};
}  // namespace

TEST_F(HostWindow, MessagesReachTheirHandlers) {
    Recorder w(QStringLiteral("LAYOUT:t"));
    w.create();
    w.sendMessage(kMsgInitDialog);
    w.sendMessage(kMsgCommand, 6);
    w.sendMessage(kMsgCommand, (1u << 16) | 7);  // not a menu command: taken and ignored
    w.sendMessage(kMsgDeviceChange, 0x8000, 0);
    w.postMessage(kMsgClose);
    EXPECT_EQ(w.log, QStringList({"init", "menu 6", "device 8000"}));
    QCoreApplication::processEvents();
    EXPECT_EQ(w.log.mid(3), QStringList({"close", "destroy"}));
    EXPECT_TRUE(w.isDestroyed());
    EXPECT_FALSE(w.isVisible());
}

TEST_F(HostWindow, EventsGoToSubscribersFirstThenToTheEventMap) {
    Recorder w(QStringLiteral("LAYOUT:t"));
    w.create();
    auto* button = qobject_cast<Button*>(w.findChildByName(QStringLiteral("btn_more")));
    ASSERT_NE(button, nullptr);
    int seen = 0;
    button->subscribe(kEventClick, [&](Event& e) {
        ++seen;
        EXPECT_EQ(e.senderName, QStringLiteral("btn_more"));
        EXPECT_EQ(e.senderId, 65537);
        return true;  // handled: the map does not see the click
    });
    button->click();
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(w.log, QStringList({"event 10000 btn_more 65537"}));

    Event e;
    e.id = kEventCommand;
    EXPECT_TRUE(button->fireEvent(e));  // the map marks btn_more handled
    auto* version = w.findChildByName(QStringLiteral("version"));
    EXPECT_FALSE(version->fireEvent(kEventCommand));
    EXPECT_TRUE(button->subscribe(QStringLiteral("on_command"), [](Event&) { return false; }));
    EXPECT_FALSE(button->subscribe(QStringLiteral("on_nothing"), [](Event&) { return false; }));
}

namespace {
struct Counter : ITimelineHandler {
    int frames = 0;
    HostWnd* host = nullptr;
    bool leaveAfterTwo = false;
    void onNextFrame() override {
        ++frames;
        if (leaveAfterTwo && frames == 2)
            host->unregisterTimelineHandler(this);
    }
};
}  // namespace

TEST_F(HostWindow, TheTimelineCallsItsHandlersOncePerFrame) {
    HostWnd w(QStringLiteral("LAYOUT:t"));
    w.setTimelineTimerEnabled(false);
    Counter a, b;
    b.host = &w;
    b.leaveAfterTwo = true;
    w.registerTimelineHandler(&a);
    w.registerTimelineHandler(&b);
    w.registerTimelineHandler(&a);  // once only
    for (int i = 0; i < 5; ++i)
        w.runTimelineFrame();
    EXPECT_EQ(a.frames, 5);
    EXPECT_EQ(b.frames, 2);
    EXPECT_EQ(w.timelineHandlerCount(), 1);
}
