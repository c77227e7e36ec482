#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPoint>
#include <QWidget>

#include "platform/emulator/EmulatedKeyboard.h"
#include "tests/support/StartupHarness.h"
#include "ui/Controls.h"
#include "ui/Menu.h"

namespace kg {
namespace {

using platform::EmulatedKeyboard;
using test::StartupHarness;
using test::waitUntil;

void command(CMainDlg& w, const QString& name) {
    kg::ui::Event e;
    e.id = kg::ui::kEventCommand;
    e.senderName = name;
    w.dispatchEvent(e);
}

QString versionLabel(CMainDlg& w) {
    kg::ui::Window* label = w.findChildByName(QStringLiteral("version"));
    return label ? label->displayText() : QStringLiteral("<no label>");
}

TEST(MainWindow, TheWindowCarriesTheProgramIcon) {
    StartupHarness h;
    bool hasIcon = false;
    h.run([&](Startup&, CMainDlg& w) {
        hasIcon = !w.windowIcon().isNull() && !w.windowIcon().pixmap(32).isNull();
        StartupHarness::quit(0);
    });
    EXPECT_TRUE(hasIcon);
}

TEST(MainWindow, FirmwareLabelAfterStart) {
    StartupHarness h;
    QString label;
    h.run([&](Startup&, CMainDlg& w) {
        label = versionLabel(w);
        StartupHarness::quit(0);
    });
    EXPECT_EQ(label, QStringLiteral("Firmware: v1.0"));
}

TEST(MainWindow, LanguageSwitchTranslatesTheTextsAgain) {
    StartupHarness h;
    QString english, chinese, back, chineseVersion;
    h.run([&](Startup&, CMainDlg& w) {
        kg::ui::Window* label = test::controlWithText(w, QStringLiteral("Backlight"));
        ASSERT_NE(label, nullptr);
        english = label->displayText();
        command(w, QStringLiteral("zh_cn"));
        chinese = label->displayText();
        chineseVersion = versionLabel(w);
        command(w, QStringLiteral("jp"));
        back = label->displayText();
        StartupHarness::quit(0);
    });
    EXPECT_EQ(english, QStringLiteral("Backlight"));
    EXPECT_EQ(chinese, QStringLiteral("背光"));
    EXPECT_EQ(chineseVersion, QStringLiteral("固件: v1.0"));
    EXPECT_EQ(back, QStringLiteral("Backlight"));
}

TEST(MainWindow, MenuCommandOneWithTheLatestFirmwareSaysSo) {
    StartupHarness h;
    int opensBefore = 0, opensAfter = 0;
    h.run([&](Startup& s, CMainDlg& w) {
        opensBefore = s.emulatedKeyboard()->callCount(EmulatedKeyboard::Operation::Open);
        w.sendMessage(kg::ui::kMsgCommand, CMainDlg::kMenuFirmware, 0);
        opensAfter = s.emulatedKeyboard()->callCount(EmulatedKeyboard::Operation::Open);
        StartupHarness::quit(0);
    });
    ASSERT_EQ(h.boxes.size(), 1u);
    EXPECT_EQ(
        h.boxes[0].text,
        QStringLiteral("The firmware is already the latest version and no upgrade is required."));
    EXPECT_EQ(opensAfter, opensBefore);
}

TEST(MainWindow, MenuCommandOneWithOlderFirmwareOpensTheKeyboardAgain) {
    StartupHarness h;
    int opensBefore = 0, opensAfter = 0;
    QString label;
    h.run(
        [&](Startup& s, CMainDlg& w) {
            opensBefore = s.emulatedKeyboard()->callCount(EmulatedKeyboard::Operation::Open);
            s.emulatedKeyboard()->setFirmwareVersion(0x0102);
            w.sendMessage(kg::ui::kMsgCommand, CMainDlg::kMenuFirmware, 0);
            opensAfter = s.emulatedKeyboard()->callCount(EmulatedKeyboard::Operation::Open);
            label = versionLabel(w);
            StartupHarness::quit(0);
        },
        [](Startup& s) { s.emulatedKeyboard()->setFirmwareVersion(0x0101); });
    EXPECT_TRUE(h.boxes.empty());
    EXPECT_GT(opensAfter, opensBefore);
    EXPECT_EQ(label, QStringLiteral("Firmware: v1.2"));
}

TEST(MainWindow, MenuCommandSixClosesTheProgram) {
    StartupHarness h;
    bool destroyedAtOnce = true;
    const int code = h.run([&](Startup&, CMainDlg& w) {
        w.sendMessage(kg::ui::kMsgCommand, CMainDlg::kMenuExit, 0);
        // Posted, as the close message is: the window goes when the loop takes it.
        destroyedAtOnce = w.isDestroyed();
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(destroyedAtOnce);
}

TEST(MainWindow, OtherMenuCommandsAndNonMenuCommandsAreIgnored) {
    StartupHarness h;
    bool alive = false;
    h.run([&](Startup&, CMainDlg& w) {
        for (const uintptr_t wParam : {uintptr_t{0}, uintptr_t{2}, uintptr_t{3}, uintptr_t{7},
                                       uintptr_t{0x10006}, uintptr_t{0x10001}}) {
            w.sendMessage(kg::ui::kMsgCommand, wParam, 0);
        }
        waitUntil([] { return false; }, 100);
        alive = !w.isDestroyed();
        StartupHarness::quit(0);
    });
    EXPECT_TRUE(alive);
    EXPECT_TRUE(h.boxes.empty());
}

TEST(MainWindow, CloseButtonEndsTheProgram) {
    StartupHarness h;
    bool destroyed = false;
    const int code = h.run([&](Startup&, CMainDlg& w) {
        command(w, QStringLiteral("btn_close"));
        destroyed = w.isDestroyed();
    });
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(code, 0);
}

TEST(MainWindow, MinimiseHidesIntoTheTrayOrMinimisesWithoutOneAndASecondStartShowsAgain) {
    StartupHarness h;
    bool tray = false, gone = false, minimised = false, shownAgain = false;
    QSize before, after;
    h.run([&](Startup&, CMainDlg& w) {
        tray = w.hasTrayIcon();
        before = w.size();
        command(w, QStringLiteral("btn_min"));
        gone = !w.isVisible() && !w.isDestroyed();
        minimised = w.isVisible() && w.isMinimized();
        w.bringToFront();
        shownAgain = w.isVisible() && !w.isMinimized();
        after = w.size();
        StartupHarness::quit(0);
    });
    // With a tray the window leaves the screen and the task bar; without one (this test's
    // offscreen desktop has none) it must stay reachable on the task bar.
    EXPECT_EQ(gone, tray);
    EXPECT_EQ(minimised, !tray);
    EXPECT_TRUE(shownAgain);
    EXPECT_EQ(before, after);
}

TEST(MainWindow, MoreMenuOpensAtTheButtonsBottomLeftCorner) {
    StartupHarness h;
    QPoint expected, opened;
    h.run([&](Startup&, CMainDlg& w) {
        kg::ui::Window* button = w.findChildByName(QStringLiteral("btn_more"));
        ASSERT_NE(button, nullptr);
        expected = button->mapToGlobal(QPoint(0, button->height()));
        kg::ui::Menu::setChooser([&](const kg::ui::Menu& menu, const QPoint& at) {
            opened = at;
            return menu.findItem(CMainDlg::kMenuExit);
        });
        command(w, QStringLiteral("btn_more"));
        kg::ui::Menu::setChooser(nullptr);
    });
    EXPECT_EQ(opened, expected);
    EXPECT_TRUE(h.boxes.empty());
}

// A mouse event as the window system reports it for a window it has at `windowOnScreen` (the
// client area's top-left), which need not be where Qt believes the window is.
void sendMouse(QWidget& target, QEvent::Type type, const QPoint& inTarget,
               const QPoint& windowOnScreen, Qt::MouseButtons buttons) {
    const QPoint inWindow = target.mapTo(target.window(), inTarget);
    QMouseEvent e(type, QPointF(inTarget), QPointF(inWindow), QPointF(windowOnScreen + inWindow),
                  Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&target, &e);
    // Each event comes from the loop, with what the window system said in between.
    QApplication::processEvents();
}

// Right after a window manager maps the window, Qt's idea of its position can be stale: the
// window really is 250 px further right than Qt believes.
const QPoint kStaleBy(250, 40);

TEST(MainWindow, MoreMenuOpensAtTheButtonWhereTheWindowReallyIs) {
    StartupHarness h;
    QPoint expected, opened;
    h.run([&](Startup&, CMainDlg& w) {
        kg::ui::Window* button = w.findChildByName(QStringLiteral("btn_more"));
        ASSERT_NE(button, nullptr);
        const QPoint real = w.mapToGlobal(QPoint(0, 0)) + kStaleBy;
        expected = real + button->mapTo(&w, QPoint(0, button->height()));
        kg::ui::Menu::setChooser([&](const kg::ui::Menu&, const QPoint& at) {
            opened = at;
            return nullptr;
        });
        sendMouse(*button, QEvent::MouseButtonPress, QPoint(5, 5), real, Qt::LeftButton);
        sendMouse(*button, QEvent::MouseButtonRelease, QPoint(5, 5), real, Qt::NoButton);
        kg::ui::Menu::setChooser(nullptr);
        StartupHarness::quit(0);
    });
    EXPECT_EQ(opened, expected);
}

TEST(MainWindow, DraggingTheTitleMovesTheWindowByTheMousesDistance) {
    StartupHarness h;
    QPoint expected, moved;
    h.run([&](Startup&, CMainDlg& w) {
        const QPoint real = w.mapToGlobal(QPoint(0, 0)) + kStaleBy;
        const QPoint grip(400, 28);  // the title bar, away from its controls
        sendMouse(w, QEvent::MouseButtonPress, grip, real, Qt::LeftButton);
        for (int step = 1; step <= 3; ++step) {
            // Only the mouse's screen position counts for the move.
            sendMouse(w, QEvent::MouseMove, grip + QPoint(10 * step, -5 * step), real,
                      Qt::LeftButton);
        }
        sendMouse(w, QEvent::MouseButtonRelease, grip + QPoint(30, -15), real, Qt::NoButton);
        expected = real + QPoint(30, -15);
        moved = w.mapToGlobal(QPoint(0, 0));
        StartupHarness::quit(0);
    });
    EXPECT_EQ(moved, expected);
}

TEST(MainWindow, UnpluggingTheKeyboardEndsTheProgram) {
    StartupHarness h;
    const int code = h.run([](Startup& s, CMainDlg&) { s.emulatedKeyboard()->unplug(); });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(h.boxes.empty());
}

TEST(MainWindow, UnplugDuringFactoryResetKeepsTheWindowAndPlugClearsIt) {
    StartupHarness h;
    bool stayed = false, disconnected = false, reconnected = false, cleared = false;
    bool endedOnSecondUnplug = false;
    QString labelAfterPlug;
    const int code = h.run([&](Startup& s, CMainDlg& w) {
        EmulatedKeyboard& kb = *s.emulatedKeyboard();
        w.connection().setFactoryResetPending(true);
        kb.unplug();
        disconnected = waitUntil([&] { return !w.connection().keyboardConnected(); });
        waitUntil([] { return false; }, 100);
        stayed = !w.isDestroyed();
        kb.plug();
        reconnected = waitUntil([&] { return w.connection().keyboardConnected(); });
        cleared = !w.connection().factoryResetPending();
        labelAfterPlug = versionLabel(w);
        kb.unplug();
        endedOnSecondUnplug = waitUntil([&] { return w.isDestroyed(); });
    });
    EXPECT_TRUE(disconnected);
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(reconnected);
    EXPECT_TRUE(cleared);
    EXPECT_EQ(labelAfterPlug, QStringLiteral("Firmware: v1.0"));
    EXPECT_TRUE(endedOnSecondUnplug);
    EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace kg
