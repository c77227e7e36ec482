#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QTimer>

#include "tests/ui/UiTestSupport.h"
#include "ui/HostWnd.h"
#include "ui/Menu.h"
#include "ui/Toolkit.h"

using namespace kg::ui;
using namespace kg::ui::test;

namespace {
class Owner : public HostWnd {
public:
    Owner() : HostWnd(QStringLiteral("LAYOUT:SYS_XML_MSGBOX")) {}
    std::vector<int> commands;
    QStringList named;

protected:
    void onMenuCommand(int id) override { commands.push_back(id); }
    bool onEvent(Event& e) override {
        if (e.id == kEventCommand && !e.sender)
            named << e.senderName;
        return true;
    }
};

struct ChooserGuard {
    explicit ChooserGuard(Menu::Chooser c) { Menu::setChooser(std::move(c)); }
    ~ChooserGuard() { Menu::setChooser(nullptr); }
};
}  // namespace

TEST(Menus, TheChosenCommandReachesTheOwnerAsAMenuCommand) {
    auto tk = makeShippedToolkit();
    Owner owner;
    owner.create();
    QPoint at;
    ChooserGuard guard([&](const Menu& m, const QPoint& pos) {
        at = pos;
        return m.findItem(6);
    });
    MenuEx more;
    ASSERT_TRUE(more.load(QStringLiteral("smenuex:menu_more")));
    EXPECT_EQ(more.track(QPoint(40, 60), &owner, 0, 100), 6);
    EXPECT_EQ(at, QPoint(40, 60));
    EXPECT_TRUE(owner.commands.empty());  // posted, as the system posts it
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.commands, std::vector<int>{6});
}

TEST(Menus, TheShippedMenusCarryTheProgramsCommands) {
    auto tk = makeShippedToolkit();
    MenuEx more;
    ASSERT_TRUE(more.load(QStringLiteral("SMENUEX:menu_more")));
    EXPECT_NE(more.findItem(1), nullptr);
    EXPECT_NE(more.findItem(6), nullptr);
    EXPECT_NE(more.findItem(QStringLiteral("zh_cn")), nullptr);
    EXPECT_NE(more.findItem(QStringLiteral("jp")), nullptr);
    Menu tray;
    ASSERT_TRUE(tray.load(QStringLiteral("SMENU:menu_tray")));
    EXPECT_NE(tray.findItem(6), nullptr);
    EXPECT_EQ(Menu::kindOf(QStringLiteral("SMENU:menu_tray")), 0);
    EXPECT_EQ(Menu::kindOf(QStringLiteral("smenuex:menu_more")), 1);
    EXPECT_EQ(Menu::kindOf(QStringLiteral("LAYOUT:XML_MAINWND")), 2);
    EXPECT_EQ(Menu::kindOf(QStringLiteral("SMENU:absent")), 2);
    // The kinds do not mix.
    Menu wrong;
    EXPECT_FALSE(wrong.load(QStringLiteral("smenuex:menu_more")));
}

TEST(Menus, ANamedItemReachesTheEventMapAndNothingChosenSendsNothing) {
    auto tk = makeShippedToolkit();
    Owner owner;
    owner.create();
    MenuEx more;
    ASSERT_TRUE(more.load(QStringLiteral("smenuex:menu_more")));
    {
        ChooserGuard guard(
            [](const Menu& m, const QPoint&) { return m.findItem(QStringLiteral("zh_cn")); });
        EXPECT_EQ(more.track(QPoint(), &owner), 0);
    }
    {
        ChooserGuard guard([](const Menu&, const QPoint&) { return nullptr; });
        EXPECT_EQ(more.track(QPoint(), &owner), 0);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.named, QStringList{"zh_cn"});
    EXPECT_TRUE(owner.commands.empty());
}

TEST(Loop, TheExitCodeIsTheValueGivenToQuit) {
    for (int code : {0, 1, 42, -3}) {
        Toolkit tk;
        QTimer::singleShot(0, [&tk, code] { tk.quit(code); });
        EXPECT_EQ(tk.run(), code);
        EXPECT_FALSE(tk.isRunning());
    }
}

TEST(Loop, AQuitBeforeTheLoopEndsItAtOnce) {
    Toolkit tk;
    tk.quit(7);
    EXPECT_EQ(tk.run(), 7);
}

TEST(Loop, DestroyingTheMainWindowEndsTheLoopWithZero) {
    auto tk = makeShippedToolkit();
    HostWnd main(QStringLiteral("LAYOUT:SYS_XML_MSGBOX"));
    main.create();
    QTimer::singleShot(0, &main, [&main] { main.postMessage(kMsgClose); });
    EXPECT_EQ(tk->run(&main), 0);
    EXPECT_TRUE(main.isDestroyed());
    // Destroyed before the loop (no keyboard at start): the loop returns at once.
    HostWnd second(QStringLiteral("LAYOUT:SYS_XML_MSGBOX"));
    tk->setMainWindow(&second);
    second.destroyWindow();
    EXPECT_EQ(tk->run(), 0);
}

TEST(Menus, ACheckItemShowsTheStateTheProgramGivesIt) {
    auto tk = makeShippedToolkit();
    MenuEx more;
    ASSERT_TRUE(more.load(QStringLiteral("smenuex:menu_more")));
    const MenuItem* item = more.findItem(7);
    ASSERT_NE(item, nullptr) << "Start with the desktop";
    EXPECT_TRUE(item->checkable);
    EXPECT_FALSE(item->checked);
    EXPECT_FALSE(more.findItem(1)->checkable);
    ASSERT_TRUE(more.setChecked(7, true));
    EXPECT_TRUE(more.findItem(7)->checked);
    ASSERT_TRUE(more.setChecked(7, false));
    EXPECT_FALSE(more.findItem(7)->checked);
    EXPECT_FALSE(more.setChecked(99, true));
}
