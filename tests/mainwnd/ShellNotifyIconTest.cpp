#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "mainwnd/SShellNotifyIcon.h"
#include "tests/support/TestFiles.h"
#include "ui/HostWnd.h"
#include "ui/Menu.h"
#include "ui/ObjectFactory.h"
#include "ui/Toolkit.h"

namespace {

// Six icons of different colours, so that the icon shown can be told apart; a logo larger than
// the notification area's 16 pixels; one menu of each root element.
const char* kIndex =
    "<resource><LAYOUT><file name='tray' path='tray.xml'/></LAYOUT>"
    "<ICON><file name='ICON_LOGO' path='logo.png'/></ICON>"
    "<IMG><file name='i0' path='i0.png'/><file name='i1' path='i1.png'/>"
    "<file name='i2' path='i2.png'/><file name='i3' path='i3.png'/>"
    "<file name='i4' path='i4.png'/><file name='i5' path='i5.png'/></IMG>"
    "<SMENU><file name='classic' path='classic.xml'/><file name='extended' path='extended.xml'/>"
    "<file name='single' path='single.xml'/><file name='other' path='other.xml'/></SMENU>"
    "</resource>";

const QRgb kColours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};

class ShellNotifyIcon : public ::testing::Test {
protected:
    void SetUp() override {
        using kgtest::writeFile;
        writeFile(m_folder.file("uires.idx"), kIndex);
        writeFile(m_folder.file("classic.xml"), "<menu><item id='6' text='Exit'/></menu>");
        writeFile(m_folder.file("extended.xml"),
                  "<menuRoot><menuItem id='6' text='Exit'/></menuRoot>");
        writeFile(m_folder.file("single.xml"), "<menuItem id='6' text='Exit'/>");
        writeFile(m_folder.file("other.xml"), "<layout size='10,10'/>");
        QImage logo(64, 64, QImage::Format_ARGB32);
        logo.fill(0xFF808080);
        ASSERT_TRUE(logo.save(path("logo.png")));
        for (int i = 0; i < 6; ++i) {
            QImage image(16, 16, QImage::Format_ARGB32);
            image.fill(kColours[i]);
            ASSERT_TRUE(image.save(path("i" + std::to_string(i) + ".png")));
        }
        ASSERT_TRUE(m_toolkit.resources().openFolder(path("")));
        m_toolkit.factory().registerClass<SShellNotifyIcon>(QStringLiteral("window"));
    }
    void TearDown() override { kg::ui::Menu::setChooser(nullptr); }

    QString path(const std::string& name) const {
        return QString::fromStdWString(m_folder.file(name).wstring());
    }

    // A host window whose layout holds the tray icon with these attributes.
    SShellNotifyIcon* makeIcon(const std::string& attributes) {
        kgtest::writeFile(
            m_folder.file("tray.xml"),
            "<layout size='200,100'><shellnotifyicon name='tray' " + attributes + "/></layout>");
        m_host = std::make_unique<kg::ui::HostWnd>(QStringLiteral("LAYOUT:tray"));
        if (!m_host->create()) {
            return nullptr;
        }
        return m_host->findChildAs<SShellNotifyIcon>(QStringLiteral("tray"));
    }

    static int colourIndex(const QIcon& icon) {
        const QImage image = icon.pixmap(16, 16).toImage();
        for (int i = 0; i < 6; ++i) {
            if (image.pixel(8, 8) == kColours[i]) {
                return i;
            }
        }
        return -1;
    }

    kgtest::TempFolder m_folder;
    kg::ui::Toolkit m_toolkit;
    std::unique_ptr<kg::ui::HostWnd> m_host;
};

const char* kSixIcons = "ico='IMG:i0;IMG:i1;IMG:i2;IMG:i3;IMG:i4;IMG:i5'";

struct DefaultIconCase {
    const char* name;
    std::string attributes;
    int index;  // -1: the logo
};

TEST_F(ShellNotifyIcon, TheDefaultIconRules) {
    const DefaultIconCase cases[] = {
        {"no ico: the 16-pixel logo", "", -1},
        {"names that do not load: the logo", "ico='IMG:none;IMG:nor_this'", -1},
        {"no deficoidx: the first", "ico='IMG:i0;IMG:i1;IMG:i2'", 0},
        {"deficoidx 2 of 3", "ico='IMG:i0;IMG:i1;IMG:i2' deficoidx='2'", 2},
        {"deficoidx in hexadecimal", "ico='IMG:i0;IMG:i1;IMG:i2' deficoidx='0x1'", 1},
        {"deficoidx 5 with 3 icons: the first", "ico='IMG:i0;IMG:i1;IMG:i2' deficoidx='5'", 0},
        {"deficoidx 3 with 3 icons: the first", "ico='IMG:i0;IMG:i1;IMG:i2' deficoidx='3'", 0},
        {"missing names are skipped", "ico='IMG:i0;IMG:none;IMG:i2' deficoidx='1'", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SShellNotifyIcon* icon = makeIcon(c.attributes);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->currentIconIndex(), c.index);
        ASSERT_FALSE(icon->currentIcon().isNull());
        if (c.index < 0) {
            EXPECT_EQ(icon->currentIcon().availableSizes().value(0), QSize(16, 16));
            EXPECT_EQ(colourIndex(icon->currentIcon()), -1);
        } else {
            EXPECT_EQ(static_cast<int>(icon->defaultIconIndex()), c.index);
        }
    }
    // The icon shown is the one at that index: "missing names are skipped" shows i2.
    EXPECT_EQ(colourIndex(makeIcon("ico='IMG:i0;IMG:none;IMG:i2' deficoidx='1'")->currentIcon()),
              2);
}

TEST_F(ShellNotifyIcon, ANewIcoReplacesTheIconsHeldSoFar) {
    SShellNotifyIcon* icon = makeIcon(kSixIcons);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->iconCount(), 6);
    ASSERT_TRUE(icon->applyAttribute(QStringLiteral("ICO"), QStringLiteral("IMG:i4;IMG:i5")));
    EXPECT_EQ(icon->iconCount(), 2);
    ASSERT_TRUE(icon->setDefaultIcon(0));
    EXPECT_EQ(colourIndex(icon->currentIcon()), 4);
}

struct MenuCase {
    const char* name;
    std::string attributes;
    const char* later;  // a second "menu" value, or null
    int kind;
    QString resource;
    int opened;  // menus the right click opens
    kg::ui::Menu::Kind openedKind;
};

TEST_F(ShellNotifyIcon, TheMenuKindComesFromTheRootElement) {
    using Kind = kg::ui::Menu::Kind;
    const MenuCase cases[] = {
        {"menu: classic", "menu='SMENU:classic'", nullptr, SShellNotifyIcon::kMenuClassic,
         QStringLiteral("SMENU:classic"), 1, Kind::Classic},
        {"menuRoot: extended", "menu='SMENU:extended'", nullptr, SShellNotifyIcon::kMenuExtended,
         QStringLiteral("SMENU:extended"), 1, Kind::Extended},
        {"menuItem: extended", "menu='SMENU:single'", nullptr, SShellNotifyIcon::kMenuExtended,
         QStringLiteral("SMENU:single"), 1, Kind::Extended},
        {"another root: none, the name not kept", "menu='SMENU:other'", nullptr,
         SShellNotifyIcon::kMenuNone, QString(), 0, Kind::Classic},
        {"no menu: none", "", nullptr, SShellNotifyIcon::kMenuNone, QString(), 0, Kind::Classic},
        {"a menu that does not load keeps the kind", "menu='SMENU:extended'", "SMENU:gone",
         SShellNotifyIcon::kMenuExtended, QStringLiteral("SMENU:extended"), 1, Kind::Extended},
        {"another root after a menu: none, the first name kept", "menu='SMENU:classic'",
         "SMENU:other", SShellNotifyIcon::kMenuNone, QStringLiteral("SMENU:classic"), 0,
         Kind::Classic},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SShellNotifyIcon* icon = makeIcon(c.attributes);
        ASSERT_NE(icon, nullptr);
        if (c.later != nullptr) {
            icon->applyAttribute(QStringLiteral("Menu"), QString::fromLatin1(c.later));
        }
        EXPECT_EQ(icon->menuKind(), c.kind);
        EXPECT_EQ(icon->menuResource(), c.resource);
        int opened = 0;
        Kind openedKind = Kind::Classic;
        kg::ui::Menu::setChooser([&](const kg::ui::Menu& menu, const QPoint&) {
            ++opened;
            openedKind = menu.kind();
            return nullptr;
        });
        icon->onRightClick();
        EXPECT_EQ(opened, c.opened);
        if (c.opened > 0) {
            EXPECT_EQ(openedKind, c.openedKind);
        }
    }
}

TEST_F(ShellNotifyIcon, LeftClicksHideAndShowTheWindow) {
    SShellNotifyIcon* icon = makeIcon("");
    ASSERT_NE(icon, nullptr);
    m_host->show();
    for (bool visibleAfter : {false, true, false, true}) {
        icon->onLeftClick();
        EXPECT_EQ(m_host->isVisible(), visibleAfter);
    }
}

TEST_F(ShellNotifyIcon, TheTipHoldsAtMost127Characters) {
    const QString pair = QString::fromUtf8("\xF0\x9F\x94\x91");  // one character, two units
    struct TipCase {
        const char* name;
        QString tip;
        QString shown;
    };
    const TipCase cases[] = {
        {"short", QStringLiteral("KeyGlow"), QStringLiteral("KeyGlow")},
        {"127 characters", QString(127, QLatin1Char('a')), QString(127, QLatin1Char('a'))},
        {"128 characters", QString(128, QLatin1Char('a')), QString(127, QLatin1Char('a'))},
        {"300 characters", QString(300, QLatin1Char('b')), QString(127, QLatin1Char('b'))},
        {"a pair across the end is left out whole", QString(126, QLatin1Char('c')) + pair,
         QString(126, QLatin1Char('c'))},
        {"a pair that fits stays", QString(125, QLatin1Char('d')) + pair,
         QString(125, QLatin1Char('d')) + pair},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SShellNotifyIcon* icon = makeIcon("");
        ASSERT_NE(icon, nullptr);
        ASSERT_TRUE(icon->applyAttribute(QStringLiteral("tip"), c.tip));
        EXPECT_EQ(icon->tip(), c.tip);
        EXPECT_EQ(icon->shownTip(), c.shown);
    }
    SShellNotifyIcon* icon = makeIcon("tip='KeyGlow'");
    ASSERT_NE(icon, nullptr);
    icon->applyAttribute(QStringLiteral("TIP"), QString());
    EXPECT_EQ(icon->tip(), QStringLiteral("KeyGlow")) << "an empty tip is ignored";
}

TEST_F(ShellNotifyIcon, AnAnimationRunsFromTheStartFrameToTheLastAndAround) {
    SShellNotifyIcon* icon = makeIcon(std::string(kSixIcons) + " deficoidx='0'");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->startFrame(), 1);
    EXPECT_EQ(icon->frameDuration(), 200);
    ASSERT_TRUE(icon->startAnimation(50));
    EXPECT_TRUE(icon->animating());
    EXPECT_EQ(icon->frameDuration(), 50);
    std::vector<int> frames{colourIndex(icon->currentIcon())};
    for (int i = 0; i < 6; ++i) {
        icon->showNextFrame();
        frames.push_back(colourIndex(icon->currentIcon()));
    }
    EXPECT_EQ(frames, (std::vector<int>{1, 2, 3, 4, 5, 1, 2}));
    icon->stopAnimation();
    EXPECT_FALSE(icon->animating());
    EXPECT_EQ(icon->currentIconIndex(), 0) << "the default icon shows again";
}

TEST_F(ShellNotifyIcon, AnAnimationNeedsFourIconsFromTheStartFrameOn) {
    struct Case {
        const char* name;
        std::string attributes;
        bool starts;
    };
    const Case cases[] = {
        {"six icons, start frame 1: five frames", kSixIcons, true},
        {"six icons, start frame 2: four frames", std::string(kSixIcons) + " startframe='2'", true},
        {"six icons, start frame 3: three frames", std::string(kSixIcons) + " startframe='3'",
         false},
        {"four icons, start frame 0", "ico='IMG:i0;IMG:i1;IMG:i2;IMG:i3' startframe='0'", true},
        {"four icons, start frame 1", "ico='IMG:i0;IMG:i1;IMG:i2;IMG:i3'", false},
        {"no icons", "", false},
        {"a start frame past the icons", std::string(kSixIcons) + " startframe='9'", false},
        {"a negative start frame", std::string(kSixIcons) + " startframe='-1'", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SShellNotifyIcon* icon = makeIcon(c.attributes);
        ASSERT_NE(icon, nullptr);
        const int before = icon->currentIconIndex();
        EXPECT_EQ(icon->startAnimation(100), c.starts);
        EXPECT_EQ(icon->animating(), c.starts);
        if (!c.starts) {
            EXPECT_EQ(icon->currentIconIndex(), before) << "nothing changes";
        }
        icon->stopAnimation();
    }
}

TEST_F(ShellNotifyIcon, TheAnimationTimerShowsTheFrames) {
    SShellNotifyIcon* icon = makeIcon(std::string(kSixIcons) + " startframe='2' duration='10'");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->frameDuration(), 10);
    ASSERT_TRUE(icon->startAnimation(icon->frameDuration()));
    EXPECT_EQ(icon->currentIconIndex(), 2);
    std::vector<int> seen;
    QElapsedTimer clock;
    clock.start();
    while (seen.size() < 5 && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (seen.empty() || seen.back() != icon->currentIconIndex()) {
            seen.push_back(icon->currentIconIndex());
        }
    }
    // The wrap from the last icon back to the start frame, never below it.
    ASSERT_GE(seen.size(), 5u);
    for (int frame : seen) {
        EXPECT_GE(frame, 2);
        EXPECT_LE(frame, 5);
    }
    icon->stopAnimation();
}

TEST_F(ShellNotifyIcon, ChoosingTheDefaultIcon) {
    SShellNotifyIcon* icon = makeIcon("ico='IMG:i0;IMG:i1;IMG:i2'");
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->setDefaultIcon(2));
    EXPECT_EQ(colourIndex(icon->currentIcon()), 2);
    EXPECT_FALSE(icon->setDefaultIcon(3));
    EXPECT_EQ(icon->defaultIconIndex(), 2u);
    EXPECT_EQ(colourIndex(icon->currentIcon()), 2);
}

}  // namespace
