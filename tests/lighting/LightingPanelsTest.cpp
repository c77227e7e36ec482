// The lighting panels of the real main window against the emulated keyboard, on Qt's offscreen
// platform: what each control does to the stores and their files, and which reports reach the
// keyboard, in which order.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/lighting/LightingPanelsHarness.h"

namespace {

using namespace kgtest;

const Bytes kEffectSelect6{0x07, 0xF7, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00};

TEST_F(LightingPanelsTest, FreshStartSendsOnlyTheSideLightOfSideEffectZero) {
    start();
    // No effect in use (20) leaves the effect combo box without a selection and sends nothing;
    // the side light's stored 0 differs from the layout's empty selection.
    EXPECT_EQ(effectCombo()->curSel(), -1);
    EXPECT_EQ(sideCombo()->curSel(), 0);
    EXPECT_EQ(hex(lightingReports(*m_keyboard)), "07 ff ff 20 00 00 40 00 |");
    EXPECT_EQ(sideLabel(), QStringLiteral("Speed"));
    EXPECT_EQ(slider("bar_side_brightness")->value(), 4);
    EXPECT_EQ(control<kg::ui::ComboBox>("cbx_in_lv")->curSel(), 0);
}

TEST_F(LightingPanelsTest, ChoosingEffectFiveShowsPageOneAndSendsDeviceNumberSix) {
    // Record 5: brightness 3, speed 0.
    std::vector<std::pair<int, int>> items(20, {5, 1});
    items[5] = {3, 0};
    start(effectFile(20, items));
    slider("bar_general_speed_1")->setValue(2);
    m_keyboard->clearReports();

    choose(effectCombo(), 5);

    EXPECT_EQ(fileValue(settings("ledeffect.xml"), -1, "sel"), 5);
    EXPECT_EQ(EffectStore::instance().currentIndex(), 5);
    EXPECT_EQ(tabs()->curSel(), 1);
    EXPECT_EQ(EffectStore::instance().record(5)->speed, 2);
    // Showing the effect saves nothing beyond the index: the file keeps the old speed until
    // the next save.
    EXPECT_EQ(fileValue(settings("ledeffect.xml"), 5, "speed"), 0);
    EXPECT_EQ(slider("bar_const_brightness_1")->value(), 3);
    EXPECT_EQ(lightingReports(*m_keyboard), std::vector<Bytes>{kEffectSelect6});
}

TEST_F(LightingPanelsTest, ChoosingEffectZeroShowsThePageOfItsBrightness) {
    std::vector<std::pair<int, int>> items(20, {5, 1});
    items[0] = {2, 1};
    start(effectFile(7, items));
    m_keyboard->clearReports();

    choose(effectCombo(), 0);

    EXPECT_EQ(fileValue(settings("ledeffect.xml"), -1, "sel"), 0);
    EXPECT_EQ(tabs()->curSel(), 2);
    EXPECT_EQ(slider("bar_const_brightness_2")->value(), 2);
    EXPECT_EQ(hex(lightingReports(*m_keyboard)), "07 f7 00 00 00 00 00 00 |");
}

TEST_F(LightingPanelsTest, ChoosingEffectOneTakesTheCheckedLoaderOption) {
    start();
    control<kg::ui::RadioBox>("radio_loader_center_3")->setChecked(true);
    slider("bar_const_brightness_2")->setValue(4);
    m_keyboard->clearReports();

    choose(effectCombo(), 1);

    EXPECT_EQ(tabs()->curSel(), 3);
    const EffectRecord* record = EffectStore::instance().record(1);
    EXPECT_EQ(record->selection, 2);
    EXPECT_EQ(record->brightness, 4);
    EXPECT_EQ(hex(lightingReports(*m_keyboard)), "07 f7 01 00 00 00 00 00 |");
}

TEST_F(LightingPanelsTest, LoaderOptionsGiveSelectionOneTwoOrThree) {
    struct Case {
        const char* checked;  // nullptr: none
        int selection;
    };
    const Case cases[] = {{"radio_loader_left_3", 1},
                          {"radio_loader_center_3", 2},
                          {"radio_loader_right_3", 3},
                          {nullptr, 3}};
    start();
    choose(effectCombo(), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.checked ? c.checked : "none checked");
        for (const char* name :
             {"radio_loader_left_3", "radio_loader_center_3", "radio_loader_right_3"}) {
            control<kg::ui::RadioBox>(name)->setChecked(false);
        }
        m_keyboard->clearReports();
        if (c.checked) {
            control<kg::ui::RadioBox>(c.checked)->click();
        } else {
            drag(slider("bar_general_speed_3"), 2);
        }
        EXPECT_EQ(EffectStore::instance().record(1)->selection, c.selection);
        EXPECT_EQ(fileValue(settings("ledeffect.xml"), 1, "selection"), c.selection);
        EXPECT_EQ(hex(lightingReports(*m_keyboard)), "07 f7 01 00 00 00 00 00 |");
    }
}

TEST_F(LightingPanelsTest, BrightnessOfEffectOneFromItsSliderIsSavedAndSent) {
    start();
    choose(effectCombo(), 1);
    m_keyboard->clearReports();

    drag(slider("bar_const_brightness_3"), 3);

    EXPECT_EQ(EffectStore::instance().record(1)->brightness, 3);
    EXPECT_EQ(fileValue(settings("ledeffect.xml"), 1, "brightness"), 3);
    EXPECT_EQ(fileValue(settings("ledeffect.xml"), -1, "sel"), 1);
    EXPECT_EQ(hex(lightingReports(*m_keyboard)), "07 f7 01 00 00 00 00 00 |");
}

TEST_F(LightingPanelsTest, BrightnessOfEffectZeroFromItsSliderIsSavedAndSent) {
    start();
    choose(effectCombo(), 0);
    m_keyboard->clearReports();

    drag(slider("bar_const_brightness_2"), 3);

    EXPECT_EQ(EffectStore::instance().record(0)->brightness, 3);
    EXPECT_EQ(fileValue(settings("ledeffect.xml"), 0, "brightness"), 3);
    EXPECT_EQ(hex(lightingReports(*m_keyboard)), "07 f7 00 00 00 00 00 00 |");
}

TEST_F(LightingPanelsTest, TheUnusedComboBoxChangesNothing) {
    start();
    choose(effectCombo(), 5);
    m_keyboard->clearReports();
    const QByteArray before = readFile(settings("ledeffect.xml"));
    auto* combo = control<kg::ui::ComboBox>("cbx_in_lv");
    ASSERT_GT(combo->count(), 1);

    choose(combo, 1);

    EXPECT_TRUE(lightingReports(*m_keyboard).empty());
    EXPECT_EQ(readFile(settings("ledeffect.xml")), before);
}

TEST_F(LightingPanelsTest, EverySliderOfTheBacklightResendsTheChosenEffect) {
    const char* sliders[] = {"bar_general_speed_0",    "bar_const_brightness_0",
                             "bar_general_speed_1",    "bar_const_brightness_1",
                             "bar_const_brightness_2", "bar_general_speed_3",
                             "bar_const_brightness_3"};
    start();
    choose(effectCombo(), 5);
    for (const char* name : sliders) {
        SCOPED_TRACE(name);
        m_keyboard->clearReports();
        kg::ui::SliderBar* bar = slider(name);
        drag(bar, bar->value() == 0 ? 1 : 0);
        EXPECT_EQ(lightingReports(*m_keyboard), std::vector<Bytes>{kEffectSelect6});
    }
    // Page 1's sliders are effect 5's values.
    EXPECT_EQ(EffectStore::instance().record(5)->speed, slider("bar_general_speed_1")->value());
    EXPECT_EQ(fileValue(settings("ledeffect.xml"), 5, "brightness"),
              slider("bar_const_brightness_1")->value());
}

TEST_F(LightingPanelsTest, DirectionRadiosResendTheChosenEffect) {
    start();
    choose(effectCombo(), 5);
    for (const char* name : {"radio_direction_left_0", "radio_direction_right_0"}) {
        SCOPED_TRACE(name);
        m_keyboard->clearReports();
        control<kg::ui::RadioBox>(name)->click();
        EXPECT_EQ(lightingReports(*m_keyboard), std::vector<Bytes>{kEffectSelect6});
    }
}

TEST_F(LightingPanelsTest, SideEffectsNameTheirSliderAndSendTheirReport) {
    struct Case {
        int sideEffect;
        const char* label;
        const char* report;
    };
    // Levels from the defaults: 4 for side effects 0 to 2, 7 for the others.
    const Case cases[] = {{2, "Speed", "07 ff ff 20 00 00 42 00 |"},
                          {3, "Brightness", "07 ff ff 20 00 00 73 00 |"},
                          {11, "Brightness", "07 ff ff 20 00 00 7b 00 |"},
                          {1, "Speed", "07 ff ff 20 00 00 41 00 |"}};
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sideEffect);
        m_keyboard->clearReports();
        choose(sideCombo(), c.sideEffect);
        EXPECT_EQ(sideLabel(), QLatin1String(c.label));
        EXPECT_EQ(hex(lightingReports(*m_keyboard)), c.report);
        EXPECT_EQ(fileValue(settings("sidemodel.xml"), -1, "sel"), c.sideEffect);
        EXPECT_EQ(slider("bar_side_brightness")->value(),
                  SideLightStore::instance().record(c.sideEffect)->level());
    }
}

TEST_F(LightingPanelsTest, SideSliderSetsTheLevelOfTheSideEffect) {
    start();
    choose(sideCombo(), 3);
    SideLightRecord* record = SideLightStore::instance().record(3);
    record->levelAndEffect = 0x7A;  // a low nibble the level must leave alone
    m_keyboard->clearReports();

    drag(slider("bar_side_brightness"), 5);

    EXPECT_EQ(record->levelAndEffect, 0x5A);
    EXPECT_EQ(fileValue(settings("sidemodel.xml"), 3, "brightness"), 5);
    EXPECT_EQ(hex(lightingReports(*m_keyboard)), "07 ff ff 20 00 00 53 00 |");
}

TEST_F(LightingPanelsTest, RestoreFactoryAnsweredCancelChangesNothing) {
    std::vector<std::pair<int, int>> items(20, {2, 0});
    start(effectFile(5, items), sideFile(4, std::vector<int>(12, 3)));
    RecordStore::instance().setRecord(KeyRecord{0x41, 1, 0, 0, L"A", L"B", {}});
    const QByteArray ledeffect = readFile(settings("ledeffect.xml"));
    const QByteArray sidemodel = readFile(settings("sidemodel.xml"));
    const QByteArray record = readFile(settings("record.xml"));
    m_keyboard->clearReports();
    std::vector<kg::ui::MessageBoxRequest> asked;
    kg::ui::setMessageBoxAnswerer([&asked](const kg::ui::MessageBoxRequest& r) {
        asked.push_back(r);
        return static_cast<int>(kg::ui::kIdCancel);
    });

    clickRestoreFactory();

    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text,
              QStringLiteral("All settings will be restored, are you sure you want to continue?"));
    EXPECT_EQ(asked[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(asked[0].type, static_cast<unsigned>(kg::ui::kMbOkCancel));
    EXPECT_EQ(readFile(settings("ledeffect.xml")), ledeffect);
    EXPECT_EQ(readFile(settings("sidemodel.xml")), sidemodel);
    EXPECT_EQ(readFile(settings("record.xml")), record);
    EXPECT_EQ(RecordStore::instance().records().size(), 1u);
    EXPECT_TRUE(m_keyboard->reports().empty());
    EXPECT_FALSE(m_window->connection().factoryResetPending());
    EXPECT_EQ(sideCombo()->curSel(), 4);
}

TEST_F(LightingPanelsTest, RestoreFactoryAnsweredOkResetsStoresAndKeyboard) {
    std::vector<std::pair<int, int>> items(20, {2, 0});
    start(effectFile(5, items), sideFile(4, std::vector<int>(12, 1)));
    ASSERT_EQ(sideCombo()->curSel(), 4);
    ASSERT_EQ(sideLabel(), QStringLiteral("Brightness"));
    RecordStore::instance().setRecord(KeyRecord{0x41, 1, 0, 0, L"A", L"B", {}});
    auto* image = m_window->findChildAs<CoordButtonImage>(QStringLiteral("img_keyboard"));
    ASSERT_NE(image, nullptr);
    ASSERT_FALSE(image->keys().empty()) << "the key layout was not found";
    image->setKeyChecked(CoordButtonImage::kAllKeys, 1);
    m_keyboard->clearReports();
    ASSERT_TRUE(QFile::resize(settings("keyboard.log"), 0));
    kg::ui::setMessageBoxAnswerer(
        [](const kg::ui::MessageBoxRequest&) { return static_cast<int>(kg::ui::kIdOk); });

    clickRestoreFactory();

    EXPECT_TRUE(m_window->connection().factoryResetPending());
    EXPECT_EQ(readFile(settings("ledeffect.xml")), golden("ledeffect-default.xml"));
    EXPECT_EQ(readFile(settings("sidemodel.xml")), golden("sidemodel-default.xml"));
    EXPECT_TRUE(RecordStore::instance().records().empty());
    EXPECT_EQ(readFile(settings("record.xml")), golden("record-empty.xml"));
    EXPECT_EQ(sideCombo()->curSel(), 0);
    EXPECT_EQ(sideLabel(), QStringLiteral("Speed"));
    EXPECT_EQ(slider("bar_side_brightness")->value(), 4);
    // Index 20 is no item: the effect panel stays as it was.
    EXPECT_EQ(effectCombo()->curSel(), 5);
    EXPECT_EQ(tabs()->curSel(), 1);
    for (const CoordButton& key : image->keys()) {
        ASSERT_EQ(key.checked, 0) << "key " << key.id;
    }
    // The restart begins with the reset report (the emulator notes it in its log); the
    // removal and arrival follow later.
    const QList<QByteArray> log = readFile(settings("keyboard.log")).split('\n');
    ASSERT_GE(log.size(), 4);
    EXPECT_EQ(log.mid(0, 4), (QList<QByteArray>{"set-feature 07 ff ff 20 00 00 40 00",
                                                "write 07 f0 aa 00 00 00 00 00", "restart",
                                                "write 07 f7 00 00 00 00 00 00"}));

    // The keyboard restarts; the program stays and opens it again.
    m_keyboard->clearReports();
    ASSERT_TRUE(runUntil([this] {
        return m_keyboard->restartCount() == 1 && !m_window->connection().factoryResetPending();
    }));
    EXPECT_FALSE(m_window->isDestroyed());
    EXPECT_TRUE(m_window->connection().keyboardConnected());
    // The panels already show the stores, so the re-opened keyboard gets no lighting report.
    for (const Bytes& b : lightingReports(*m_keyboard)) {
        ASSERT_GE(b.size(), 2u);
        EXPECT_NE(b[1], 0xF7) << hex({b});
        EXPECT_NE(b[1], 0xFF) << hex({b});
    }
}

TEST_F(LightingPanelsTest, StartupSendsTheStoredEffectAndSideEffect) {
    std::vector<std::pair<int, int>> items(20, {5, 1});
    items[5] = {1, 2};
    start(effectFile(5, items), sideFile(3, {4, 4, 4, 6, 7, 7, 7, 7, 7, 7, 7, 7}));

    EXPECT_EQ(effectCombo()->curSel(), 5);
    EXPECT_EQ(tabs()->curSel(), 1);
    EXPECT_EQ(slider("bar_const_brightness_1")->value(), 1);
    EXPECT_EQ(sideCombo()->curSel(), 3);
    EXPECT_EQ(sideLabel(), QStringLiteral("Brightness"));
    EXPECT_EQ(slider("bar_side_brightness")->value(), 6);
    EXPECT_EQ(hex(lightingReports(*m_keyboard)),
              "07 f7 06 00 00 00 00 00 |07 ff ff 20 00 00 63 00 |");
}

}  // namespace

// The toolkit needs a QApplication; the tests run on the offscreen platform.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
