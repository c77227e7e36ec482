#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

#include "app/Startup.h"
#include "platform/emulator/EmulatedKeyboard.h"
#include "tests/support/StartupHarness.h"

namespace kg {
namespace {

using test::StartupHarness;

struct HiddenCase {
    const char* name;
    const char* commandLine;
    bool hidden;
};

const HiddenCase kHiddenCases[] = {
    {"ExactlyHid", "-hid", true},    {"Empty", "", false},
    {"Capitals", "-HID", false},     {"MoreAfter", "-hid x", false},
    {"SpaceBefore", " -hid", false}, {"SpaceAfter", "-hid ", false},
    {"OtherWord", "-hidden", false},
};

class StartsHidden : public ::testing::TestWithParam<HiddenCase> {};

TEST_P(StartsHidden, OnlyTheExactWordHides) {
    EXPECT_EQ(startsHidden(GetParam().commandLine), GetParam().hidden);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, StartsHidden, ::testing::ValuesIn(kHiddenCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ProgramOptions, OwnOptionsComeOffFirst) {
    const ProgramOptions o = parseProgramOptions(
        {"--emulator", "-hid", "--quit-after", "250", "x", "--screenshot", "a.png"});
    ASSERT_TRUE(o.valid);
    EXPECT_TRUE(o.emulator);
    EXPECT_EQ(o.quitAfter_ms, 250);
    EXPECT_EQ(o.screenshotPath, QStringLiteral("a.png"));
    EXPECT_EQ(o.commandLine, "-hid x");
}

TEST(ProgramOptions, EmulatorThenHidStartsHidden) {
    const ProgramOptions o = parseProgramOptions({"--emulator", "-hid"});
    EXPECT_TRUE(o.emulator);
    EXPECT_TRUE(startsHidden(o.commandLine));
}

TEST(ProgramOptions, CommandsKeepTheirOrder) {
    const ProgramOptions o = parseProgramOptions({"--command", "zh_cn", "--command", "jp"});
    ASSERT_TRUE(o.valid);
    ASSERT_EQ(o.commands.size(), 2u);
    EXPECT_EQ(o.commands[0], QStringLiteral("zh_cn"));
    EXPECT_EQ(o.commands[1], QStringLiteral("jp"));
    EXPECT_EQ(o.commandLine, "");
}

TEST(ProgramOptions, HelpVersionAndUnknownOptions) {
    struct Case {
        std::vector<std::string> args;
        bool valid, help, version;
        std::string commandLine;
    };
    const Case cases[] = {
        {{"--help"}, true, true, false, ""},
        {{"--version"}, true, false, true, ""},
        {{"--bogus"}, false, false, false, ""},
        {{"-hid", "--verbose"}, false, false, false, "-hid"},
        // Single-dash words stay the start-up's command line, as before.
        {{"-hid"}, true, false, false, "-hid"},
        {{"-x", "-HID"}, true, false, false, "-x -HID"},
        {{"--"}, true, false, false, "--"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front());
        const ProgramOptions o = parseProgramOptions(c.args);
        EXPECT_EQ(o.valid, c.valid);
        EXPECT_EQ(o.help, c.help);
        EXPECT_EQ(o.version, c.version);
        if (c.valid) {
            EXPECT_EQ(o.commandLine, c.commandLine);
        } else {
            EXPECT_EQ(o.error, "unknown option " + c.args.back());
        }
    }
}

TEST(ProgramOptions, BadValuesAreRefused) {
    EXPECT_FALSE(parseProgramOptions({"--quit-after", "abc"}).valid);
    EXPECT_FALSE(parseProgramOptions({"--quit-after", "-5"}).valid);
    EXPECT_FALSE(parseProgramOptions({"--quit-after"}).valid);
    EXPECT_FALSE(parseProgramOptions({"--screenshot"}).valid);
}

class StartupShown : public ::testing::TestWithParam<HiddenCase> {};

TEST_P(StartupShown, WindowIsShownUnlessExactlyHid) {
    StartupHarness h(QStringLiteral("en"), GetParam().commandLine);
    ASSERT_TRUE(h.folder.ok());
    bool shownNormally = false, reachable = false;
    const int code = h.run([&](Startup&, CMainDlg& w) {
        shownNormally = w.isVisible() && !w.isMinimized();
        // Hidden means in the tray; where there is none, minimised on the task bar.
        reachable = w.hasTrayIcon() ? !w.isVisible() : w.isMinimized();
        StartupHarness::quit(0);
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(h.loopRan);
    EXPECT_EQ(shownNormally, !GetParam().hidden);
    if (GetParam().hidden) {
        EXPECT_TRUE(reachable);
    }
    EXPECT_EQ(h.startedHidden, GetParam().hidden);
}

INSTANTIATE_TEST_SUITE_P(CommandLines, StartupShown, ::testing::ValuesIn(kHiddenCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct LanguageCase {
    const char* name;
    const char* configLanguage;  // empty: no config.xml
    const char* translation;
    const char* backlightLabel;  // null: the window never runs (no keyboard configured)
};

const LanguageCase kLanguageCases[] = {
    {"Chinese", "cn", "lang_cn", "背光"},
    {"English", "en", "lang_en", "Backlight"},
    {"OtherValue", "jp", "lang_en", "Backlight"},
    {"CapitalCn", "CN", "lang_en", "Backlight"},
    // Without config.xml no keyboard is configured, so the program ends after its message.
    {"NoConfigFile", "", "lang_en", nullptr},
};

class StartupLanguage : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(StartupLanguage, ConfigurationPicksTheTranslation) {
    StartupHarness h(QString::fromUtf8(GetParam().configLanguage));
    ASSERT_TRUE(h.folder.ok());
    QString label;
    h.run([&](Startup&, CMainDlg& w) {
        if (kg::ui::Window* c = test::controlWithText(w, QStringLiteral("Backlight"))) {
            label = c->displayText();
        }
        StartupHarness::quit(0);
    });
    EXPECT_EQ(h.startLanguage, QString::fromUtf8(GetParam().translation));
    if (GetParam().backlightLabel == nullptr) {
        EXPECT_FALSE(h.loopRan);
        ASSERT_EQ(h.boxes.size(), 1u);
        EXPECT_EQ(h.boxes[0].text, QStringLiteral("Please insert USB device!"));
        return;
    }
    EXPECT_EQ(label, QString::fromUtf8(GetParam().backlightLabel));
}

INSTANTIATE_TEST_SUITE_P(Configs, StartupLanguage, ::testing::ValuesIn(kLanguageCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Startup, ExitCodeIsTheValueGivenToQuit) {
    for (const int value : {0, 3, 42}) {
        StartupHarness h;
        EXPECT_EQ(h.run([value](Startup&, CMainDlg&) { StartupHarness::quit(value); }), value);
    }
}

// An install the user cannot write to: the configuration and the resources come from the
// program folder, the settings files the program writes go to the settings folder only.
TEST(Startup, SettingsFilesGoToTheSettingsFolderAndTheConfigurationComesFromTheProgram) {
    StartupHarness h(QStringLiteral("cn"));
    ASSERT_TRUE(h.folder.ok());
    QTemporaryDir settings;
    ASSERT_TRUE(settings.isValid());
    h.settingsFolder = settings.path().toStdWString();
    bool keyboardShown = false;
    h.run([&](Startup&, CMainDlg& w) {
        keyboardShown = w.keyboardImage() != nullptr;
        StartupHarness::quit(0);
    });
    EXPECT_TRUE(h.loopRan);
    EXPECT_EQ(h.startLanguage, QStringLiteral("lang_cn"));
    EXPECT_TRUE(keyboardShown);
    for (const char* name : {"ledeffect.xml", "sidemodel.xml"}) {
        EXPECT_TRUE(QFile::exists(settings.filePath(QLatin1String(name)))) << name;
        EXPECT_FALSE(QFile::exists(h.folder.path() + QLatin1Char('/') + QLatin1String(name)))
            << name;
    }
}

TEST(Startup, NoKeyboardShowsTheMessageAndEnds) {
    StartupHarness h;
    const int code = h.run(nullptr, [](Startup& s) { s.emulatedKeyboard()->unplug(); });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(h.loopRan);
    ASSERT_EQ(h.boxes.size(), 1u);
    EXPECT_EQ(h.boxes[0].text, QStringLiteral("Please insert USB device!"));
    EXPECT_EQ(h.boxes[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(h.boxes[0].type, kg::ui::kMbOk);
}

}  // namespace
}  // namespace kg
