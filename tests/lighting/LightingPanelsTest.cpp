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
    ASSERT_NO_FATAL_FAILURE(start());
    // No effect in use (20) leaves the effect combo box without a selection and sends nothing;
    // the side light's stored 0 differs from the layout's empty selection.
    EXPECT_EQ(effectCombo()->curSel(), -1);
    EXPECT_EQ(sideCombo()->curSel(), 0);
    EXPECT_EQ(hex(lightingReports(*m_keyboard)), "07 ff ff 20 00 00 40 00 |");
    EXPECT_EQ(sideLabel(), QStringLiteral("Speed"));
    EXPECT_EQ(slider("bar_side_brightness")->value(), 4);
    EXPECT_EQ(control<kg::ui::ComboBox>("cbx_in_lv")->curSel(), 0);
}

TEST_F(LightingPanelsTest, WithoutAnEffectTheBoxAsksForOneAndTheBacklightControlsWait) {
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_EQ(effectCombo()->curSel(), -1);
    EXPECT_EQ(effectCombo()->cueText(), QStringLiteral("Choose an effect"));
    EXPECT_EQ(effectCombo()->comboBox()->placeholderText(), QStringLiteral("Choose an effect"));
    const char* sliders[] = {"bar_general_speed_0",    "bar_const_brightness_0",
                             "bar_general_speed_1",    "bar_const_brightness_1",
                             "bar_const_brightness_2", "bar_general_speed_3",
                             "bar_const_brightness_3"};
    const char* radios[] = {"radio_direction_left_0", "radio_direction_right_0",
                            "radio_loader_left_3", "radio_loader_center_3", "radio_loader_right_3"};
    for (const char* name : sliders) {
        EXPECT_FALSE(slider(name)->isEnabled()) << name;
    }
    for (const char* name : radios) {
        EXPECT_FALSE(control<kg::ui::RadioBox>(name)->isEnabled()) << name;
    }
    // The side light works without a backlight effect.
    EXPECT_TRUE(slider("bar_side_brightness")->isEnabled());

    choose(effectCombo(), 5);

    for (const char* name : sliders) {
        EXPECT_TRUE(slider(name)->isEnabled()) << name;
    }
    for (const char* name : radios) {
        EXPECT_TRUE(control<kg::ui::RadioBox>(name)->isEnabled()) << name;
    }
}

TEST_F(LightingPanelsTest, ThePlaceholderSpeaksTheLanguageOfTheWindow) {
    ASSERT_NO_FATAL_FAILURE(start());
    ASSERT_TRUE(m_toolkit->installLanguage(QStringLiteral("translator:lang_cn")));
    m_window->sendMessage(kg::ui::kMsgLanguageChanged, 0, 0);
    EXPECT_EQ(effectCombo()->comboBox()->placeholderText(), QStringLiteral("选择灯效"));
}

TEST_F(LightingPanelsTest, TheLevelBoxIsKeptButNotShown) {
    ASSERT_NO_FATAL_FAILURE(start());
    auto* combo = control<kg::ui::ComboBox>("cbx_in_lv");
    m_window->show();
    EXPECT_EQ(combo->curSel(), 0);
    EXPECT_FALSE(combo->isVisible());
}

TEST_F(LightingPanelsTest, ChoosingEffectFiveShowsPageOneAndSendsDeviceNumberSix) {
    // Record 5: brightness 3, speed 0.
    std::vector<std::pair<int, int>> items(20, {5, 1});
    items[5] = {3, 0};
    ASSERT_NO_FATAL_FAILURE(start(effectFile(20, items)));
    slider("bar_general_speed_1")->setValue(2);
    m_keyboard->clearReports();

    choose(effectCombo(), 5);

    EXPECT_EQ(fileValue(settings("ledeffect.xml"), -1, "sel"), 5);
    EXPECT_EQ(EffectStore::instance().currentIndex(), 5);
    EXPECT_EQ(tabs()->curSel(), 1);
    // The page shows the record; where the slider stood before is not taken into it.
    EXPECT_EQ(slider("bar_general_speed_1")->value(), 0);
    EXPECT_EQ(slider("bar_const_brightness_1")->value(), 3);
    EXPECT_EQ(EffectStore::instance().record(5)->speed, 0);
    EXPECT_EQ(fileValue(settings("ledeffect.xml"), 5, "speed"), 0);
    EXPECT_EQ(lightingReports(*m_keyboard), std::vector<Bytes>{kEffectSelect6});
}

// "ledeffect.xml" whose every record has values of its own: speed i % 3, brightness
// (i + 1) % 6, selection 1 + i % 3.
QByteArray distinctEffectFile(int sel) {
    QByteArray xml = "<?xml version=\"1.0\"?>\n<effect sel=\"" + QByteArray::number(sel) + "\">\n";
    for (int i = 0; i < 20; ++i) {
        xml += "\t<item speed=\"" + QByteArray::number(i % 3) + "\" brightness=\"" +
               QByteArray::number((i + 1) % 6) + "\" deriction=\"0\" selection=\"" +
               QByteArray::number(1 + i % 3) + "\" />\n";
    }
    return xml + "</effect>\n";
}

TEST_F(LightingPanelsTest, SwitchingEffectsNeverChangesWhatTheyStore) {
    ASSERT_NO_FATAL_FAILURE(start(distinctEffectFile(20)));
    // Every slider and radio of every page away from the stored values first.
    for (const char* name :
         {"bar_general_speed_1", "bar_const_brightness_1", "bar_const_brightness_2",
          "bar_general_speed_3", "bar_const_brightness_3"}) {
        slider(name)->setValue(slider(name)->maximum());
    }
    const int sequence[] = {5, 1, 7, 0, 19, 2, 1, 13, 4};
    for (const int effect : sequence) {
        SCOPED_TRACE(effect);
        choose(effectCombo(), effect);
        for (int i = 0; i < 20; ++i) {
            const EffectRecord* record = EffectStore::instance().record(i);
            ASSERT_EQ(record->speed, i % 3) << "effect " << i;
            ASSERT_EQ(record->brightness, (i + 1) % 6) << "effect " << i;
            ASSERT_EQ(record->selection, 1 + i % 3) << "effect " << i;
        }
    }
    // Each choice saved the whole file; after a restart every effect has its own speed.
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(fileValue(settings("ledeffect.xml"), i, "speed"), i % 3) << "effect " << i;
        EXPECT_EQ(fileValue(settings("ledeffect.xml"), i, "brightness"), (i + 1) % 6)
            << "effect " << i;
    }
}

TEST_F(LightingPanelsTest, EachPageShowsTheValuesOfItsEffect) {
    struct Case {
        int effect;
        int page;
        const char* speedSlider;  // nullptr: the page has none
        const char* brightnessSlider;
    };
    const Case cases[] = {{0, 2, nullptr, "bar_const_brightness_2"},
                          {1, 3, "bar_general_speed_3", "bar_const_brightness_3"},
                          {2, 1, "bar_general_speed_1", "bar_const_brightness_1"},
                          {10, 1, "bar_general_speed_1", "bar_const_brightness_1"},
                          {19, 1, "bar_general_speed_1", "bar_const_brightness_1"}};
    ASSERT_NO_FATAL_FAILURE(start(distinctEffectFile(20)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.effect);
        choose(effectCombo(), c.effect);
        EXPECT_EQ(tabs()->curSel(), c.page);
        if (c.speedSlider) {
            EXPECT_EQ(slider(c.speedSlider)->value(), c.effect % 3);
        }
        EXPECT_EQ(slider(c.brightnessSlider)->value(), (c.effect + 1) % 6);
    }
}

TEST_F(LightingPanelsTest, EffectOneShowsItsStoredStartingPoint) {
    struct Case {
        int selection;
        const char* checked;
    };
    const Case cases[] = {
        {1, "radio_loader_left_3"}, {2, "radio_loader_center_3"}, {3, "radio_loader_right_3"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selection);
        TearDown();
        QByteArray file = effectFile(1, std::vector<std::pair<int, int>>(20, {5, 1}));
        // Record 1 is the second item of the file.
        const int second = file.indexOf("<item", file.indexOf("<item") + 1);
        const QByteArray was = "selection=\"1\"";
        file.replace(file.indexOf(was, second), was.size(),
                     "selection=\"" + QByteArray::number(c.selection) + "\"");
        ASSERT_NO_FATAL_FAILURE(start(file));
        ASSERT_EQ(EffectStore::instance().record(1)->selection, c.selection);
        for (const char* name :
             {"radio_loader_left_3", "radio_loader_center_3", "radio_loader_right_3"}) {
            EXPECT_EQ(control<kg::ui::RadioBox>(name)->isChecked(), std::string(name) == c.checked)
                << name;
        }
        // Showing it changed nothing.
        EXPECT_EQ(EffectStore::instance().record(1)->selection, c.selection);
    }
}

TEST_F(LightingPanelsTest, FlowingSpeedIsStoredInEffectOneAndShownAgain) {
    ASSERT_NO_FATAL_FAILURE(start());
    choose(effectCombo(), 1);
    m_keyboard->clearReports();

    drag(slider("bar_general_speed_3"), 2);

    EXPECT_EQ(EffectStore::instance().record(1)->speed, 2);
    EXPECT_EQ(fileValue(settings("ledeffect.xml"), 1, "speed"), 2);
    EXPECT_EQ(hex(lightingReports(*m_keyboard)), "07 f7 01 00 00 00 00 00 |");

    choose(effectCombo(), 5);
    slider("bar_general_speed_3")->setValue(0);
    choose(effectCombo(), 1);
    EXPECT_EQ(slider("bar_general_speed_3")->value(), 2);
}

TEST_F(LightingPanelsTest, ChoosingEffectZeroShowsThePageOfItsBrightness) {
    std::vector<std::pair<int, int>> items(20, {5, 1});
    items[0] = {2, 1};
    ASSERT_NO_FATAL_FAILURE(start(effectFile(7, items)));
    m_keyboard->clearReports();

    choose(effectCombo(), 0);

    EXPECT_EQ(fileValue(settings("ledeffect.xml"), -1, "sel"), 0);
    EXPECT_EQ(tabs()->curSel(), 2);
    EXPECT_EQ(slider("bar_const_brightness_2")->value(), 2);
    EXPECT_EQ(hex(lightingReports(*m_keyboard)), "07 f7 00 00 00 00 00 00 |");
}

TEST_F(LightingPanelsTest, ChoosingEffectOneShowsItsRecord) {
    std::vector<std::pair<int, int>> items(20, {5, 1});
    items[1] = {4, 2};
    ASSERT_NO_FATAL_FAILURE(start(effectFile(20, items)));
    control<kg::ui::RadioBox>("radio_loader_center_3")->setChecked(true);
    slider("bar_const_brightness_2")->setValue(1);
    m_keyboard->clearReports();

    choose(effectCombo(), 1);

    EXPECT_EQ(tabs()->curSel(), 3);
    const EffectRecord* record = EffectStore::instance().record(1);
    // The stored values stay and the page shows them: another page's slider and the radio
    // checked before do not reach the record.
    EXPECT_EQ(record->selection, 1);
    EXPECT_EQ(record->brightness, 4);
    EXPECT_EQ(record->speed, 2);
    EXPECT_TRUE(control<kg::ui::RadioBox>("radio_loader_left_3")->isChecked());
    EXPECT_FALSE(control<kg::ui::RadioBox>("radio_loader_center_3")->isChecked());
    EXPECT_EQ(slider("bar_const_brightness_3")->value(), 4);
    EXPECT_EQ(slider("bar_general_speed_3")->value(), 2);
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
    ASSERT_NO_FATAL_FAILURE(start());
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
    ASSERT_NO_FATAL_FAILURE(start());
    choose(effectCombo(), 1);
    m_keyboard->clearReports();

    drag(slider("bar_const_brightness_3"), 3);

    EXPECT_EQ(EffectStore::instance().record(1)->brightness, 3);
    EXPECT_EQ(fileValue(settings("ledeffect.xml"), 1, "brightness"), 3);
    EXPECT_EQ(fileValue(settings("ledeffect.xml"), -1, "sel"), 1);
    EXPECT_EQ(hex(lightingReports(*m_keyboard)), "07 f7 01 00 00 00 00 00 |");
}

TEST_F(LightingPanelsTest, BrightnessOfEffectZeroFromItsSliderIsSavedAndSent) {
    ASSERT_NO_FATAL_FAILURE(start());
    choose(effectCombo(), 0);
    m_keyboard->clearReports();

    drag(slider("bar_const_brightness_2"), 3);

    EXPECT_EQ(EffectStore::instance().record(0)->brightness, 3);
    EXPECT_EQ(fileValue(settings("ledeffect.xml"), 0, "brightness"), 3);
    EXPECT_EQ(hex(lightingReports(*m_keyboard)), "07 f7 00 00 00 00 00 00 |");
}

TEST_F(LightingPanelsTest, TheUnusedComboBoxChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(start());
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
    ASSERT_NO_FATAL_FAILURE(start());
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
    ASSERT_NO_FATAL_FAILURE(start());
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
    ASSERT_NO_FATAL_FAILURE(start());
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
    ASSERT_NO_FATAL_FAILURE(start());
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
    ASSERT_NO_FATAL_FAILURE(start(effectFile(5, items), sideFile(4, std::vector<int>(12, 3))));
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
    EXPECT_EQ(asked[0].type, static_cast<unsigned>(kg::ui::kMbOkCancel | kg::ui::kMbDefButton2));
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
    ASSERT_NO_FATAL_FAILURE(start(effectFile(5, items), sideFile(4, std::vector<int>(12, 1))));
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
    // No effect is in use any more (20): the box shows none and its page cannot be used.
    EXPECT_EQ(effectCombo()->curSel(), -1);
    EXPECT_FALSE(slider("bar_general_speed_1")->isEnabled());
    EXPECT_FALSE(slider("bar_const_brightness_1")->isEnabled());
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
    ASSERT_NO_FATAL_FAILURE(
        start(effectFile(5, items), sideFile(3, {4, 4, 4, 6, 7, 7, 7, 7, 7, 7, 7, 7})));

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
