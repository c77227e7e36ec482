// Not a test: draws the pictures of the lighting panels in docs/ (kg_panel_shots <out-dir>):
// each of the four pages of the backlight panel and the side-light panel, the whole window in
// English and Chinese, and the status line after a factory reset, from the real main window
// against the emulated keyboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>

#include "tests/lighting/LightingPanelsHarness.h"

namespace {

using namespace kgtest;

QString g_outDir;

// The two cards of the main window's layout.
const QRect kBacklightCard(30, 430, 660, 230);
const QRect kSideCard(706, 430, 364, 230);

class PanelShots : public LightingPanelsTest {
protected:
    void save(const QRect& area, const char* name) {
        QCoreApplication::processEvents();
        const QPixmap picture = m_window->grab(area);
        const QString path = g_outDir + QLatin1Char('/') + QLatin1String(name);
        EXPECT_TRUE(picture.save(path, "PNG")) << path.toStdString();
    }
};

TEST_F(PanelShots, Pages) {
    start();
    m_window->show();
    // Page 0 belongs to no effect; it is shown here for the picture only.
    tabs()->setCurSel(0);
    save(kBacklightCard, "panel-effect-page0.png");
    choose(effectCombo(), 5);
    save(kBacklightCard, "panel-effect-page1.png");
    choose(effectCombo(), 0);
    save(kBacklightCard, "panel-effect-page2.png");
    control<kg::ui::RadioBox>("radio_loader_center_3")->setChecked(true);
    choose(effectCombo(), 1);
    save(kBacklightCard, "panel-effect-page3.png");
    save(kSideCard, "panel-side-speed.png");
    choose(sideCombo(), 3);
    save(kSideCard, "panel-side-brightness.png");
}

// The whole window: with no effect chosen, on each kind of effect page, and with the keyboard
// focus shown.
TEST_F(PanelShots, Windows) {
    start();
    m_window->show();
    m_window->activateWindow();
    const QRect all(QPoint(0, 0), m_window->size());
    save(all, "main-effect-none.png");
    choose(effectCombo(), 0);
    save(all, "main-effect-static.png");
    choose(effectCombo(), 1);
    save(all, "main-effect-flowing.png");
    choose(effectCombo(), 3);
    save(all, "main-effect-wave.png");
    save(all, "main-en.png");
    m_window->setLanguage(true);
    save(all, "main-cn.png");
    m_window->setLanguage(false);
    // As after a few presses of Tab: the speed slider has the focus and shows its mark.
    slider("bar_general_speed_1")->setFocus(Qt::TabFocusReason);
    save(all, "main-focus.png");
    m_window->setFocus(Qt::MouseFocusReason);
    // The factory reset, as the "more" menu chooses it, answered OK: the status line says when
    // the keyboard is back.
    kg::ui::setMessageBoxAnswerer(
        [](const kg::ui::MessageBoxRequest&) { return static_cast<int>(kg::ui::kIdOk); });
    m_window->postNamedCommand(QStringLiteral("btn_restore_factory"), 0);
    ASSERT_TRUE(runUntil([this] {
        return m_keyboard->restartCount() == 1 && !m_window->connection().factoryResetPending();
    }));
    save(all, "main-reset-done.png");
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kg_panel_shots <out-dir>\n");
        return 2;
    }
    g_outDir = QString::fromLocal8Bit(argv[1]);
    return RUN_ALL_TESTS();
}
