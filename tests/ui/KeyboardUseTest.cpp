// The toolkit from the keyboard alone, on the offscreen platform: Tab order, the focus mark,
// the arrow keys on sliders, combo boxes and radios, and message boxes answering Enter and
// Escape. Also moving a window by its title without a window manager.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>
#include <QWheelEvent>
#include <functional>
#include <string>
#include <vector>

#include "tests/ui/UiTestSupport.h"
#include "ui/ComboBox.h"
#include "ui/Controls.h"
#include "ui/DialogHost.h"
#include "ui/HostWnd.h"
#include "ui/MessageBox.h"
#include "ui/SliderBar.h"

using namespace kg::ui;
using namespace kg::ui::test;

namespace {

const char* kLayout = R"(<layout size="320,220">
  <button name="first" pos="10,10,80,28" text="First"/>
  <text name="label" pos="100,10,80,28" text="not focusable"/>
  <combobox name="combo" pos="10,44,120,28">
    <items><item text="zero"/><item text="one"/><item text="two"/></items>
  </combobox>
  <sliderbar name="bar" pos="10,80,200,24" min="0" max="10" value="4"/>
  <window name="group" pos="10,110,300,30">
    <radio name="left" pos="0,0,80,28" text="Left" checked="1"/>
    <radio name="centre" pos="90,0,80,28" text="Centre"/>
    <radio name="right" pos="180,0,80,28" text="Right"/>
  </window>
  <check name="check" pos="10,146,120,28" text="Check"/>
  <button name="last" pos="10,180,80,28" text="Last"/>
</layout>)";

void sendKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(target, &down);
    QKeyEvent up(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(target, &up);
}

// The toolkit control that has the focus (a combo box's inner Qt box counts as the combo box).
Window* focusedControl(QWidget* window) {
    for (QWidget* w = window->focusWidget(); w; w = w->parentWidget()) {
        if (auto* c = qobject_cast<Window*>(w)) {
            return c;
        }
    }
    return nullptr;
}

QString focusedName(QWidget* window) {
    Window* c = focusedControl(window);
    return c ? c->name() : QStringLiteral("<none>");
}

// Pixels of the accent colour that marks the focus.
int accentPixels(QWidget* w) {
    const QImage image = w->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - 0x35) < 24 && qAbs(c.green() - 0xC8) < 24 &&
                qAbs(c.blue() - 0xFF) < 24) {
                ++n;
            }
        }
    }
    return n;
}

struct KeyboardUse : ::testing::Test {
    TempResources res{
        {{"uires.idx", "<resource><LAYOUT><file name='k' path='k.xml'/></LAYOUT></resource>"},
         {"k.xml", kLayout}}};
    Toolkit tk;
    std::unique_ptr<HostWnd> w;
    std::vector<std::string> events;

    void SetUp() override {
        ASSERT_TRUE(tk.resources().openFolder(res.folder()));
        w = std::make_unique<HostWnd>(QStringLiteral("LAYOUT:k"));
        ASSERT_TRUE(w->create());
        for (const char* name : {"first", "left", "centre", "right", "check", "last"}) {
            get<Window>(name)->subscribe(kEventCommand, [this](Event& e) {
                events.push_back("command " + e.senderName.toStdString());
                return true;
            });
        }
        get<Window>("combo")->subscribe(kEventSelChanged, [this](Event& e) {
            events.push_back("sel " + std::to_string(e.newSel));
            return true;
        });
        get<Window>("bar")->subscribe(kEventSliderPos, [this](Event& e) {
            events.push_back("pos " + std::to_string(e.value));
            return true;
        });
        w->show();
        w->activateWindow();
        QApplication::processEvents();
    }
    template <class T = Window>
    T* get(const char* name) {
        T* c = w->findChildAs<T>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void focus(const char* name) {
        get<Window>(name)->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    QWidget* focusTarget() { return w->focusWidget() ? w->focusWidget() : w.get(); }
};

TEST_F(KeyboardUse, TabVisitsTheControlsInLayoutOrderAndShiftTabGoesBack) {
    focus("first");
    const std::vector<QString> forward = {QStringLiteral("combo"), QStringLiteral("bar"),
                                          QStringLiteral("left"),  QStringLiteral("centre"),
                                          QStringLiteral("right"), QStringLiteral("check"),
                                          QStringLiteral("last"),  QStringLiteral("first")};
    for (const QString& expected : forward) {
        sendKey(focusTarget(), Qt::Key_Tab);
        EXPECT_EQ(focusedName(w.get()), expected);
    }
    sendKey(focusTarget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focusedName(w.get()), QStringLiteral("last"));
    // Moving the focus raised nothing.
    EXPECT_TRUE(events.empty());
}

TEST_F(KeyboardUse, FocusMarkShowsForTheKeyboardAndNotForAClick) {
    auto* button = get<Button>("first");
    auto* bar = get<SliderBar>("bar");
    focus("last");
    const int buttonPlain = accentPixels(button);
    const int barPlain = accentPixels(bar);

    sendKey(focusTarget(), Qt::Key_Tab);  // from the last control round to the first
    ASSERT_EQ(focusedName(w.get()), QStringLiteral("first"));
    EXPECT_TRUE(button->showsFocusMark());
    EXPECT_GT(accentPixels(button), buttonPlain + 100);

    bar->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_FALSE(button->showsFocusMark());
    EXPECT_EQ(accentPixels(button), buttonPlain);
    EXPECT_FALSE(bar->showsFocusMark());
    EXPECT_EQ(accentPixels(bar), barPlain);
}

TEST_F(KeyboardUse, SpaceAndEnterClickTheFocusedButtonAndCheckBox) {
    focus("first");
    sendKey(focusTarget(), Qt::Key_Space);
    sendKey(focusTarget(), Qt::Key_Return);
    focus("check");
    sendKey(focusTarget(), Qt::Key_Space);
    EXPECT_TRUE(get<Window>("check")->isChecked());
    EXPECT_EQ(events,
              (std::vector<std::string>{"command first", "command first", "command check"}));
}

TEST_F(KeyboardUse, SliderKeysMoveItAndRaiseItsEvent) {
    struct Case {
        int key;
        int value;
    };
    // From 4 on a 0..10 slider; a page is a fifth of the range.
    const Case cases[] = {{Qt::Key_Right, 5}, {Qt::Key_Up, 6},     {Qt::Key_Left, 5},
                          {Qt::Key_Down, 4},  {Qt::Key_PageUp, 6}, {Qt::Key_PageDown, 4},
                          {Qt::Key_End, 10},  {Qt::Key_Right, 10}, {Qt::Key_Home, 0},
                          {Qt::Key_Left, 0}};
    auto* bar = get<SliderBar>("bar");
    focus("bar");
    std::vector<std::string> expected;
    int last = bar->value();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        sendKey(focusTarget(), c.key);
        EXPECT_EQ(bar->value(), c.value);
        if (c.value != last) {
            expected.push_back("pos " + std::to_string(c.value));
        }
        last = c.value;
    }
    // At an end a key moves nothing and raises nothing.
    EXPECT_EQ(events, expected);
}

TEST_F(KeyboardUse, WheelMovesTheSliderButNotAComboBoxWithoutFocus) {
    auto* bar = get<SliderBar>("bar");
    auto* combo = get<ComboBox>("combo");
    combo->setCurSel(1, false);
    focus("first");
    auto wheel = [](QWidget* target, int delta) {
        QWheelEvent e(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(target, &e);
    };
    wheel(bar, 120);
    wheel(bar, 120);
    wheel(bar, -120);
    EXPECT_EQ(bar->value(), 5);
    wheel(combo->comboBox(), -120);
    EXPECT_EQ(combo->curSel(), 1);
    EXPECT_EQ(events, (std::vector<std::string>{"pos 5", "pos 6", "pos 5"}));
}

TEST_F(KeyboardUse, ArrowKeysChangeTheComboBoxSelectionWithItsEvent) {
    auto* combo = get<ComboBox>("combo");
    focus("combo");
    sendKey(focusTarget(), Qt::Key_Down);
    EXPECT_EQ(combo->curSel(), 0);
    sendKey(focusTarget(), Qt::Key_Down);
    sendKey(focusTarget(), Qt::Key_Up);
    EXPECT_EQ(combo->curSel(), 0);
    EXPECT_EQ(events, (std::vector<std::string>{"sel 0", "sel 1", "sel 0"}));
}

TEST_F(KeyboardUse, ArrowKeysChooseTheNextRadioOfTheGroup) {
    struct Case {
        int key;
        const char* checked;
    };
    // Round the group in both directions, wrapping at the ends.
    const Case cases[] = {{Qt::Key_Right, "centre"},
                          {Qt::Key_Down, "right"},
                          {Qt::Key_Right, "left"},
                          {Qt::Key_Left, "right"},
                          {Qt::Key_Up, "centre"}};
    focus("left");
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.checked);
        sendKey(focusTarget(), c.key);
        EXPECT_EQ(focusedName(w.get()), QLatin1String(c.checked));
        for (const char* name : {"left", "centre", "right"}) {
            EXPECT_EQ(get<Window>(name)->isChecked(), std::string(name) == c.checked) << name;
        }
        expected.push_back(std::string("command ") + c.checked);
    }
    EXPECT_EQ(events, expected);
}

// Runs a real message box and presses the keys once it shows.
int answerWithKeys(unsigned type, const std::vector<int>& keys, QWidget* owner = nullptr) {
    QTimer::singleShot(0, [keys] {
        QWidget* box = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (qobject_cast<DialogHost*>(top) && top->isVisible()) {
                box = top;
            }
        }
        if (box == nullptr) {
            return;
        }
        for (int key : keys) {
            sendKey(box->focusWidget() ? box->focusWidget() : box, key);
        }
    });
    return messageBox(owner, QStringLiteral("Sure?"), QStringLiteral("Warning"), type);
}

struct BoxCase {
    const char* name;
    unsigned type;
    std::vector<int> keys;
    int answer;
};

const BoxCase kBoxCases[] = {
    {"OkEnter", kMbOk, {Qt::Key_Return}, kIdOk},
    {"OkEscape", kMbOk, {Qt::Key_Escape}, kIdOk},
    {"OkCancelEnter", kMbOkCancel, {Qt::Key_Return}, kIdOk},
    {"OkCancelEscape", kMbOkCancel, {Qt::Key_Escape}, kIdCancel},
    {"OkCancelTabEnter", kMbOkCancel, {Qt::Key_Tab, Qt::Key_Return}, kIdCancel},
    {"DefaultCancelEnter", kMbOkCancel | kMbDefButton2, {Qt::Key_Return}, kIdCancel},
    {"DefaultCancelSpace", kMbOkCancel | kMbDefButton2, {Qt::Key_Space}, kIdCancel},
    {"DefaultCancelTabEnter", kMbOkCancel | kMbDefButton2, {Qt::Key_Tab, Qt::Key_Return}, kIdOk},
    {"DefaultCancelEscape", kMbOkCancel | kMbDefButton2, {Qt::Key_Escape}, kIdCancel},
};

class MessageBoxKeys : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MessageBoxKeys, AnswerFromTheKeyboard) {
    Toolkit tk;
    EXPECT_EQ(answerWithKeys(GetParam().type, GetParam().keys), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(Boxes, MessageBoxKeys, ::testing::ValuesIn(kBoxCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(KeyboardUse, TheOwnerHasTheFocusAgainAfterABoxCloses) {
    focus("bar");
    ASSERT_EQ(answerWithKeys(kMbOk, {Qt::Key_Escape}, w.get()), kIdOk);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), w.get());
    EXPECT_EQ(focusedName(w.get()), QStringLiteral("bar"));
}

// A mouse event at a point of the screen, as the system reports it to `target`.
void sendMouse(QWidget* target, QEvent::Type type, const QPoint& global, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(target->mapFromGlobal(global)), QPointF(global), Qt::LeftButton,
                  held, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &e);
}

TEST(WindowMove, WithoutAWindowManagerTheTitleMovesTheWindowByTheMouseDistance) {
    TempResources res{
        {{"uires.idx", "<resource><LAYOUT><file name='m' path='m.xml'/></LAYOUT></resource>"},
         {"m.xml", R"(<layout size="300,200" caption="0,0,300,40">
  <text name="title" pos="10,0,100,40" text="Title"/>
  <window name="handle" pos="10,100,40,40" drag="1"/>
</layout>)"}}};
    Toolkit tk;
    ASSERT_TRUE(tk.resources().openFolder(res.folder()));
    HostWnd w(QStringLiteral("LAYOUT:m"));
    ASSERT_TRUE(w.create());
    w.move(100, 100);
    w.show();
    QApplication::processEvents();
    // The offscreen platform, like a desktop without a window manager, takes no system move.
    struct Case {
        const char* from;  // the control pressed on
        QPoint delta;
    };
    const Case cases[] = {{"title", {30, 20}}, {"title", {-50, 5}}, {"handle", {12, -7}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        QWidget* target = w.findChildByName(QLatin1String(c.from));
        ASSERT_NE(target, nullptr);
        const QPoint before = w.pos();
        const QPoint press = target->mapToGlobal(QPoint(5, 5));
        sendMouse(target, QEvent::MouseButtonPress, press, Qt::LeftButton);
        sendMouse(target, QEvent::MouseMove, press + c.delta / 2, Qt::LeftButton);
        sendMouse(target, QEvent::MouseMove, press + c.delta, Qt::LeftButton);
        sendMouse(target, QEvent::MouseButtonRelease, press + c.delta, Qt::NoButton);
        EXPECT_EQ(w.pos() - before, c.delta);
    }
}

}  // namespace
