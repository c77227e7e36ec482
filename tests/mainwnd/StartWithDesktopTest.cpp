// The "Start with the desktop" entry of the "more" menu, writing the real autostart entry into
// a temporary configuration folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <filesystem>
#include <string>

#include "tests/support/ScopedEnv.h"
#include "tests/support/StartupHarness.h"
#include "tests/support/TestFiles.h"
#include "ui/Menu.h"
#include "ui/Toolkit.h"

namespace kg {
namespace {

using test::StartupHarness;

void command(CMainDlg& w, const QString& name) {
    kg::ui::Event e;
    e.id = kg::ui::kEventCommand;
    e.senderName = name;
    w.dispatchEvent(e);
}

struct MenuSeen {
    bool found = false;
    bool checkable = false;
    bool checked = false;
    QString text;  // as shown, translated
};

// Opens the "more" menu, notes how it shows the entry and picks it; then lets the command run.
MenuSeen chooseStartWithDesktop(CMainDlg& w) {
    MenuSeen seen;
    kg::ui::Menu::setChooser([&](const kg::ui::Menu& menu, const QPoint&) {
        const kg::ui::MenuItem* item = menu.findItem(CMainDlg::kMenuStartWithDesktop);
        if (item != nullptr) {
            seen = {true, item->checkable, item->checked,
                    kg::ui::Toolkit::instance()->tr(item->text)};
        }
        return item;
    });
    command(w, QStringLiteral("btn_more"));
    kg::ui::Menu::setChooser(nullptr);
    QCoreApplication::processEvents();  // the menu command is posted, as the system posts it
    return seen;
}

class StartWithDesktopEntry : public testing::Test {
protected:
    std::filesystem::path entry() const {
        return m_config.path() / "autostart" / "keyglow.desktop";
    }

    kgtest::TempFolder m_config;
    kgtest::ScopedEnv m_xdg{"XDG_CONFIG_HOME", m_config.path().c_str()};
};

TEST_F(StartWithDesktopEntry, TickingWritesTheEntryAndTickingAgainRemovesIt) {
    StartupHarness h;
    MenuSeen first, second, third;
    bool writtenAfterFirst = false;
    std::string text;
    h.run([&](Startup&, CMainDlg& w) {
        first = chooseStartWithDesktop(w);
        writtenAfterFirst = kgtest::exists(entry());
        text = kgtest::readFile(entry());
        second = chooseStartWithDesktop(w);
        third = chooseStartWithDesktop(w);
        StartupHarness::quit(0);
    });
    ASSERT_TRUE(first.found);
    EXPECT_TRUE(first.checkable);
    EXPECT_FALSE(first.checked);
    EXPECT_EQ(first.text, QStringLiteral("Start with the desktop"));
    EXPECT_TRUE(writtenAfterFirst);
    EXPECT_NE(text.find(" -hid\n"), std::string::npos) << text;
    EXPECT_TRUE(second.checked) << "the entry shows that the program now starts with the desktop";
    EXPECT_FALSE(third.checked);
    EXPECT_TRUE(kgtest::exists(entry())) << "the third choice wrote it again";
    EXPECT_TRUE(h.boxes.empty());
}

TEST_F(StartWithDesktopEntry, AnEntryTheDesktopSwitchedOffShowsUnticked) {
    std::filesystem::create_directories(entry().parent_path());
    kgtest::writeFile(entry(),
                      "[Desktop Entry]\nType=Application\nExec=keyglow -hid\nHidden=true\n");
    StartupHarness h(QStringLiteral("cn"));
    MenuSeen seen;
    std::string text;
    h.run([&](Startup&, CMainDlg& w) {
        seen = chooseStartWithDesktop(w);
        text = kgtest::readFile(entry());
        StartupHarness::quit(0);
    });
    EXPECT_FALSE(seen.checked);
    EXPECT_EQ(seen.text, QStringLiteral("随桌面启动"));
    EXPECT_EQ(text.find("Hidden=true"), std::string::npos) << "ticked: the session starts it";
}

TEST_F(StartWithDesktopEntry, AFailedChangeIsReportedAndChangesNothing) {
    // A file where the autostart folder should be: the entry cannot be written.
    kgtest::writeFile(m_config.path() / "autostart", "not a folder");
    StartupHarness h;
    MenuSeen first, second;
    h.run([&](Startup&, CMainDlg& w) {
        first = chooseStartWithDesktop(w);
        second = chooseStartWithDesktop(w);
        StartupHarness::quit(0);
    });
    EXPECT_FALSE(first.checked);
    EXPECT_FALSE(second.checked);
    ASSERT_EQ(h.boxes.size(), 2u);
    EXPECT_EQ(h.boxes[0].text,
              QStringLiteral("KeyGlow could not change whether it starts with the desktop."));
    EXPECT_EQ(h.boxes[0].caption, QStringLiteral("Warning"));
}

}  // namespace
}  // namespace kg
