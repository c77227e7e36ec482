// The main window, the key assignment editor and a message box on a 1280x800 screen at 100 %,
// 125 % and 150 % scaling (too small for the layout at the last two) and on a 1024x768 one.
// Each window must lie inside the available area of the screen it opens on, title bar included.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <cstdint>
#include <map>
#include <string>

#include "macro/editor/MacroRecordDlg.h"
#include "settings/AppConfig.h"
#include "settings/MacroStore.h"
#include "tests/support/OffscreenScreens.h"
#include "tests/support/StartupHarness.h"
#include "ui/DialogHost.h"
#include "ui/MessageBox.h"

namespace kg {
namespace {

using test::StartupHarness;

// The process's screens, side by side; the small one is the primary (the platform takes them in
// the order of their names), where the program opens.
constexpr test::OffscreenScreen kScreens[] = {
    {"1024x768", 0, 0, 1024, 768, 96},
    {"at100", 1024, 0, 1280, 800, 96},
    {"at125", 2304, 0, 1280, 800, 120},
    {"at150", 3584, 0, 1280, 800, 144},
};

QScreen* screenNamed(const char* name) {
    for (QScreen* s : QGuiApplication::screens()) {
        if (s->name() == QLatin1String(name)) {
            return s;
        }
    }
    return nullptr;
}

QString describe(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

struct Placement {
    QRect frame;
    QString screen;
    double scale = 0;  // device pixels per layout pixel
};

Placement placementOf(const QWidget& w) {
    return {w.frameGeometry(), w.screen() ? w.screen()->name() : QString(), w.devicePixelRatioF()};
}

struct ScreenCase {
    const char* screen;
    double dpiScale;  // the screen's own scaling
    bool shrinks;     // the window is larger than the screen's available area at that scaling
};

const ScreenCase kCases[] = {
    {"at100", 1.0, false},
    {"at125", 1.25, true},
    {"at150", 1.5, true},
};

// A screen at 100 % smaller than the layout: Qt cannot paint the window smaller than its layout
// there, so it opens at its size with its left edge, title and title bar on screen.
TEST(ScreenFit, OnAScreenSmallerThanTheLayoutTheTitleBarStartsOnScreen) {
    StartupHarness h;
    Placement main;
    QRect area, caption;
    h.run([&](Startup&, CMainDlg& w) {
        QApplication::processEvents();
        main = placementOf(w);
        caption = w.captionRect().translated(w.mapToGlobal(QPoint(0, 0)));
        area = QGuiApplication::primaryScreen()->availableGeometry();
        StartupHarness::quit(0);
    });
    EXPECT_EQ(main.screen, QStringLiteral("1024x768"));
    // Its left edge on the screen's, its height inside.
    EXPECT_EQ(main.frame.left(), area.left())
        << describe(main.frame).toStdString() << " on " << describe(area).toStdString();
    EXPECT_GE(main.frame.top(), area.top());
    EXPECT_LE(main.frame.bottom(), area.bottom());
    EXPECT_TRUE(area.contains(caption.topLeft()) && area.contains(caption.bottomLeft()));
    EXPECT_DOUBLE_EQ(main.scale, 1.0);
}

class ScreenFitOnScreen : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(ScreenFitOnScreen, TheWindowsLieInsideTheAvailableArea) {
    const ScreenCase& c = GetParam();
    StartupHarness h;
    Placement main, box, editor;
    QRect area;
    QSize layoutSize;
    h.run([&](Startup&, CMainDlg& w) {
        QScreen* screen = screenNamed(c.screen);
        ASSERT_NE(screen, nullptr);
        // Opened there as the program opens its window: placed while hidden, then shown.
        w.hide();
        w.setScreen(screen);
        w.centerOnScreen();
        w.show();
        QApplication::processEvents();
        main = placementOf(w);
        layoutSize = w.size();
        area = screen->availableGeometry();

        // A message box and the editor, each opened over the window as the program opens them.
        kg::ui::setMessageBoxAnswerer(nullptr);
        Placement* current = &box;
        kg::ui::DialogHost::setModalRunner([&](kg::ui::DialogHost& d) {
            d.show();
            QApplication::processEvents();
            *current = placementOf(d);
            d.hide();
            return 1;
        });
        kg::ui::messageBox(&w, QStringLiteral("A question"), QStringLiteral("Warning"));
        current = &editor;
        std::map<std::uint8_t, std::wstring> keys{{0x46, L"F"}};
        MacroRecordDlg dlg(MacroStore::instance(), AppConfig::instance(), w.keyboardImage(), keys);
        dlg.doModal(&w);
        kg::ui::DialogHost::setModalRunner(nullptr);
        StartupHarness::quit(0);
    });
    const std::string where = " outside " + describe(area).toStdString();
    EXPECT_EQ(main.screen, QString::fromLatin1(c.screen));
    EXPECT_TRUE(area.contains(main.frame))
        << "main window " << describe(main.frame).toStdString() << where;
    EXPECT_TRUE(area.contains(box.frame))
        << "message box " << describe(box.frame).toStdString() << where;
    EXPECT_TRUE(area.contains(editor.frame))
        << "editor " << describe(editor.frame).toStdString() << where;
    EXPECT_EQ(box.screen, main.screen);
    EXPECT_EQ(editor.screen, main.screen);
    // Shrunk as a whole: the layout keeps its size and proportions, every window of the screen
    // shows at the same smaller scale; a window that fits keeps the screen's own scaling.
    EXPECT_EQ(layoutSize, QSize(1100, 680));
    if (c.shrinks) {
        EXPECT_LT(main.scale, c.dpiScale);
    } else {
        EXPECT_DOUBLE_EQ(main.scale, c.dpiScale);
    }
    EXPECT_DOUBLE_EQ(box.scale, main.scale);
    EXPECT_DOUBLE_EQ(editor.scale, main.scale);
}

INSTANTIATE_TEST_SUITE_P(Screens, ScreenFitOnScreen, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ScreenCase>& i) {
                             return std::string(i.param.screen);
                         });

}  // namespace
}  // namespace kg

int main(int argc, char** argv) {
    QTemporaryDir runtime;
    if (!runtime.isValid()) {
        return 1;
    }
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    if (!kg::test::useOffscreenScreens(
            runtime.path(), {kg::kScreens[0], kg::kScreens[1], kg::kScreens[2], kg::kScreens[3]})) {
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
