// The quiet status line of the main window, with the whole program against the emulated
// keyboard: key capture that is off says why (and nothing shows while it works), and the
// factory reset, a command of the "more" menu, says when the keyboard is back.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "macro/KeyboardHook.h"
#include "mainwnd/CaptureStatus.h"
#include "platform/emulator/EmulatedKeyboard.h"
#include "platform/emulator/KeyStream.h"
#include "tests/support/StartupHarness.h"
#include "ui/Menu.h"

namespace kg {
namespace {

using test::StartupHarness;
using test::waitUntil;

// Sets an environment variable for one test (Qt's calls, which every platform has).
class EnvFor {
public:
    EnvFor(const char* name, const char* value) : m_name(name) {
        if (value != nullptr) {
            qputenv(name, value);
        } else {
            qunsetenv(name);
        }
    }
    ~EnvFor() { qunsetenv(m_name); }
    EnvFor(const EnvFor&) = delete;
    EnvFor& operator=(const EnvFor&) = delete;

private:
    const char* m_name;
};

struct Line {
    bool textShown = false;
    QString text;
    QString tip;
    bool linkShown = false;
};

Line statusLineOf(CMainDlg& w) {
    Line line;
    if (kg::ui::Window* text = w.findChildByName(QStringLiteral("text_status"))) {
        line.textShown = text->isVisibleTo(&w);
        line.text = text->displayText();
        line.tip = text->toolTip();
    }
    if (kg::ui::Window* link = w.findChildByName(QStringLiteral("btn_status_link"))) {
        line.linkShown = link->isVisibleTo(&w);
    }
    return line;
}

void command(CMainDlg& w, const QString& name) {
    kg::ui::Event e;
    e.id = kg::ui::kEventCommand;
    e.senderName = name;
    w.dispatchEvent(e);
}

struct LanguageCase {
    const char* language;
    const char* captureOff;
    const char* keyboardBack;
};

const LanguageCase kLanguages[] = {
    {"en", "Key assignments and macros are off: the emulated system refused key capture",
     "The keyboard has restarted with its factory settings; all settings are back to their "
     "defaults."},
    {"cn", "按键设置和宏已关闭：the emulated system refused key capture",
     "键盘已按出厂设置重新启动，所有设置均已恢复默认。"},
};

TEST(StatusLine, KeyCaptureThatIsOffSaysWhyOnTheStatusLine) {
    for (const LanguageCase& k : kLanguages) {
        EnvFor capture("KEYGLOW_EMULATOR_CAPTURE", "off");
        // An earlier run in this process holds the hook; this start must ask for it again.
        KeyboardHook::uninstall();
        StartupHarness h(QString::fromLatin1(k.language));
        Line line;
        bool hookHeld = true;
        h.run([&](Startup&, CMainDlg& w) {
            hookHeld = KeyboardHook::isInstalled();
            line = statusLineOf(w);
            StartupHarness::quit(0);
        });
        EXPECT_FALSE(hookHeld) << k.language;
        EXPECT_TRUE(line.textShown) << k.language;
        EXPECT_EQ(line.text, QString::fromUtf8(k.captureOff)) << k.language;
        EXPECT_EQ(line.tip, line.text) << k.language;
        EXPECT_TRUE(h.boxes.empty()) << k.language;
    }
}

TEST(StatusLine, NothingShowsWhileKeyCaptureWorks) {
    EnvFor capture("KEYGLOW_EMULATOR_CAPTURE", nullptr);
    KeyboardHook::uninstall();
    StartupHarness h;
    Line line{true, QStringLiteral("<not run>"), QString(), true};
    bool hookHeld = false;
    h.run([&](Startup&, CMainDlg& w) {
        hookHeld = KeyboardHook::isInstalled();
        line = statusLineOf(w);
        StartupHarness::quit(0);
    });
    EXPECT_TRUE(hookHeld);
    EXPECT_FALSE(line.textShown);
    EXPECT_FALSE(line.linkShown);
}

TEST(StatusLine, CaptureThatStopsWhileTheProgramRunsShowsSoonAfter) {
    EnvFor capture("KEYGLOW_EMULATOR_CAPTURE", nullptr);
    KeyboardHook::uninstall();
    StartupHarness h;
    bool hiddenAtFirst = false, shownLater = false, hiddenAgain = false;
    h.run([&](Startup&, CMainDlg& w) {
        hiddenAtFirst = !statusLineOf(w).textShown;
        auto* stream = dynamic_cast<platform::emulator::KeyStream*>(&KeyboardHook::keyInput());
        ASSERT_NE(stream, nullptr);
        // The system takes capture away; the program asks again and is refused.
        KeyboardHook::uninstall();
        stream->setCaptureAvailable(false);
        KeyboardHook::install(1, nullptr, 0);
        shownLater = waitUntil([&] { return statusLineOf(w).textShown; },
                               3 * CaptureStatus::kCheckInterval_ms);
        stream->setCaptureAvailable(true);
        KeyboardHook::install(1, nullptr, 0);
        hiddenAgain = waitUntil([&] { return !statusLineOf(w).textShown; },
                                3 * CaptureStatus::kCheckInterval_ms);
        StartupHarness::quit(0);
    });
    EXPECT_TRUE(hiddenAtFirst);
    EXPECT_TRUE(shownLater);
    EXPECT_TRUE(hiddenAgain);
}

TEST(StatusLine, ANoteGoesAwayAndTheLastingStateComesBack) {
    EnvFor capture("KEYGLOW_EMULATOR_CAPTURE", "off");
    KeyboardHook::uninstall();
    StartupHarness h;
    Line during, after;
    bool noteEnded = false;
    h.run([&](Startup&, CMainDlg& w) {
        w.statusLine().showNote(QStringLiteral("Warning"), 50);
        during = statusLineOf(w);
        noteEnded = waitUntil([&] { return !w.statusLine().noteShown(); }, 2000);
        after = statusLineOf(w);
        StartupHarness::quit(0);
    });
    EXPECT_EQ(during.text, QStringLiteral("Warning"));
    EXPECT_TRUE(noteEnded);
    EXPECT_EQ(after.text, QString::fromUtf8(kLanguages[0].captureOff));
}

TEST(StatusLine, TheFactoryResetIsInTheMoreMenuAndSaysWhenTheKeyboardIsBack) {
    for (const LanguageCase& k : kLanguages) {
        StartupHarness h(QString::fromLatin1(k.language));
        bool inMenu = false, shownAsButton = true, restarted = false;
        Line line;
        h.run([&](Startup& s, CMainDlg& w) {
            // No control of the window offers the reset (the side-light card had it).
            shownAsButton = false;
            for (kg::ui::Window* c : w.findChildren<kg::ui::Window*>()) {
                if (c->text() == QLatin1String("Restore factory settings") && c->isVisibleTo(&w)) {
                    shownAsButton = true;
                }
            }
            kg::ui::Menu::setChooser([&](const kg::ui::Menu& menu, const QPoint&) {
                const kg::ui::MenuItem* item = menu.findItem(QStringLiteral("btn_restore_factory"));
                inMenu = item != nullptr && item->text == QLatin1String("Restore factory settings");
                return item;
            });
            command(w, QStringLiteral("btn_more"));
            kg::ui::Menu::setChooser(nullptr);
            platform::EmulatedKeyboard& kb = *s.emulatedKeyboard();
            restarted = waitUntil([&] {
                return kb.restartCount() == 1 && !w.connection().factoryResetPending() &&
                       w.connection().keyboardConnected();
            });
            line = statusLineOf(w);
            StartupHarness::quit(0);
        });
        EXPECT_FALSE(shownAsButton) << k.language;
        EXPECT_TRUE(inMenu) << k.language;
        EXPECT_TRUE(restarted) << k.language;
        // Only the question before the reset; the confirmation is no box.
        ASSERT_EQ(h.boxes.size(), 1u) << k.language;
        EXPECT_EQ(
            h.boxes[0].text,
            QStringLiteral("All settings will be restored, are you sure you want to continue?"));
        EXPECT_TRUE(line.textShown) << k.language;
        EXPECT_EQ(line.text, QString::fromUtf8(k.keyboardBack)) << k.language;
        EXPECT_FALSE(line.linkShown) << k.language;
    }
}

TEST(StatusLine, TheDocumentIsFoundBesideTheInstalledProgramOrInTheSourceTree) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString installed = root.filePath(QStringLiteral("usr/share/doc/keyglow/linux-input.md"));
    const QString sources = root.filePath(QStringLiteral("src/docs/linux-input.md"));
    for (const QString& file : {installed, sources}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("usr/lib/keyglow"))));
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("src/build/bin"))));
    const QString system = QStringLiteral("/usr/share/doc/keyglow/linux-input.md");
    const bool systemHasIt = QFile::exists(system);
    struct {
        QString programFolder;
        QString expected;
    } cases[] = {
        {root.filePath(QStringLiteral("usr/lib/keyglow")), installed},
        {root.filePath(QStringLiteral("src/build/bin")), systemHasIt ? system : sources},
        {root.filePath(QStringLiteral("nowhere/bin")), systemHasIt ? system : QString()},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(CaptureStatus::findDocument(k.programFolder), k.expected)
            << k.programFolder.toStdString();
    }
}

}  // namespace
}  // namespace kg
