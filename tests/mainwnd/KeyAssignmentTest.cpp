#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QTimer>
#include <climits>

#include "controls/CoordButtonImage.h"
#include "macro/KeyboardHook.h"
#include "macro/editor/MacroRecordDlg.h"
#include "platform/emulator/EmulatedKeyboard.h"
#include "platform/emulator/KeyStream.h"
#include "settings/MacroStore.h"
#include "settings/RecordStore.h"
#include "tests/support/StartupHarness.h"
#include "ui/Controls.h"
#include "ui/ListView.h"

namespace kg {
namespace {

using test::StartupHarness;

constexpr int kKeyA = 0x41;

// Stands in for the assignment editor: it makes the choice a user would make and closes with
// the given answer.
class ScriptedEditor final : public IAssignmentEditor {
public:
    ScriptedEditor(std::function<void(MacroStore&)> choose, int answer, int* opened)
        : m_choose(std::move(choose)), m_answer(answer), m_opened(opened) {}
    IKeyboardHookListener* hookListener() override { return nullptr; }
    int runModal(QWidget*) override {
        ++*m_opened;
        m_choose(MacroStore::instance());
        return m_answer;
    }

private:
    std::function<void(MacroStore&)> m_choose;
    int m_answer;
    int* m_opened;
};

void useEditor(CMainDlg& w, std::function<void(MacroStore&)> choose, int answer, int* opened) {
    w.setAssignmentEditorFactory(
        [=](MacroStore&, CoordButtonImage*, std::map<std::uint8_t, std::wstring>& clicked) {
            EXPECT_EQ(clicked.size(), 1u);
            return std::make_unique<ScriptedEditor>(choose, answer, opened);
        });
}

// A click on the key's centre, delivered as the window system delivers it.
void clickKey(CoordButtonImage* image, int id) {
    CoordButton key;
    ASSERT_TRUE(image->findKey(id, key));
    const QPointF pt((key.left + key.right) / 2.0, (key.top + key.bottom) / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, pt, image->mapToGlobal(pt), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(image, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pt, image->mapToGlobal(pt), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(image, &release);
}

bool checked(CoordButtonImage* image, int id) {
    CoordButton key;
    return image->findKey(id, key) && key.checked != 0;
}

QString tip(CoordButtonImage* image, int id) {
    CoordButton key;
    return image->findKey(id, key) ? QString::fromStdWString(key.tip) : QStringLiteral("<none>");
}

// A record.xml in the program folder with one record of one step (pressing stepCode).
bool writeOneRecord(StartupHarness& h, const char* recordAttributes, int stepCode) {
    QFile file(h.folder.path() + QStringLiteral("/record.xml"));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray xml = QByteArray("<?xml version=\"1.0\"?>\n<record ") + recordAttributes +
                           " repeat=\"0\" mode=\"0\">\n\t<item code=\"" +
                           QByteArray::number(stepCode) +
                           "\" state=\"0\" delay=\"0\" name=\"\" />\n</record>\n";
    return file.write(xml) == xml.size();
}

TEST(KeyAssignment, StoredRecordsAreMarkedWithTheirTipsAtStart) {
    StartupHarness h;
    ASSERT_TRUE(writeOneRecord(h, "code=\"65\" type=\"2\" name=\"A\" group=\"Mute\"", 173));
    bool markedA = false, markedB = true;
    QString tipA;
    h.run([&](Startup&, CMainDlg& w) {
        ASSERT_NE(w.keyboardImage(), nullptr);
        markedA = checked(w.keyboardImage(), kKeyA);
        markedB = checked(w.keyboardImage(), 0x42);
        tipA = tip(w.keyboardImage(), kKeyA);
        StartupHarness::quit(0);
    });
    EXPECT_TRUE(markedA);
    EXPECT_FALSE(markedB);
    EXPECT_EQ(tipA, QStringLiteral("A : Mute"));
}

TEST(KeyAssignment, TheRunningWindowReassignsAStoredKeyAndStopsWhenItCloses) {
    StartupHarness h;
    ASSERT_TRUE(writeOneRecord(h, "code=\"70\" type=\"1\" name=\"F\" group=\"A\"", kKeyA));
    std::intptr_t whileOpen = 0;
    std::vector<std::string> typedWhileOpen;
    h.run([&](Startup&, CMainDlg&) {
        auto* keys = dynamic_cast<platform::emulator::KeyStream*>(&KeyboardHook::keyInput());
        ASSERT_NE(keys, nullptr);
        keys->clearLog();
        whileOpen = keys->press(0x46);
        typedWhileOpen = keys->log();
        StartupHarness::quit(0);
    });
    EXPECT_EQ(whileOpen, 1);
    EXPECT_EQ(typedWhileOpen, (std::vector<std::string>{"down 0x41"}));

    // The window took its listener away with it: the key goes on as it is.
    auto* keys = dynamic_cast<platform::emulator::KeyStream*>(&KeyboardHook::keyInput());
    ASSERT_NE(keys, nullptr);
    keys->clearLog();
    EXPECT_EQ(keys->press(0x46), 0);
    EXPECT_EQ(keys->log(), (std::vector<std::string>{"pass down 0x46"}));
}

TEST(KeyAssignment, ClickOpensTheEditorAndOkStoresTheChoice) {
    StartupHarness h;
    int opened = 0;
    bool marked = false;
    std::vector<KeyRecord> records;
    h.run([&](Startup&, CMainDlg& w) {
        RecordStore::instance().clearRecords();
        // Media entry 2 of the shipped configuration, "Mute".
        useEditor(
            w,
            [](MacroStore& m) {
                m.config().type = 2;
                m.config().media = 2;
            },
            kEditorOk, &opened);
        clickKey(w.keyboardImage(), kKeyA);
        marked = checked(w.keyboardImage(), kKeyA);
        records = RecordStore::instance().records();
        StartupHarness::quit(0);
    });
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(marked);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].code, kKeyA);
    EXPECT_EQ(records[0].type, 2);
    EXPECT_EQ(records[0].group, L"Mute");
    ASSERT_EQ(records[0].steps.size(), 1u);
    EXPECT_EQ(records[0].steps[0].code, 173);
    EXPECT_TRUE(QFile::exists(h.folder.path() + QStringLiteral("/record.xml")));
    EXPECT_TRUE(QFile::exists(h.folder.path() + QStringLiteral("/macro.xml")));
}

TEST(KeyAssignment, DeleteRemovesTheRecordAndTheMark) {
    StartupHarness h;
    int opened = 0;
    bool markedBefore = false, markedAfter = true;
    QString tipAfter;
    std::size_t recordsAfter = 99;
    h.run([&](Startup&, CMainDlg& w) {
        RecordStore::instance().clearRecords();
        useEditor(
            w, [](MacroStore& m) { m.config().type = 2, m.config().media = 0; }, kEditorOk,
            &opened);
        clickKey(w.keyboardImage(), kKeyA);
        markedBefore = checked(w.keyboardImage(), kKeyA);
        useEditor(
            w, [](MacroStore&) {}, kEditorDelete, &opened);
        clickKey(w.keyboardImage(), kKeyA);
        markedAfter = checked(w.keyboardImage(), kKeyA);
        tipAfter = tip(w.keyboardImage(), kKeyA);
        recordsAfter = RecordStore::instance().records().size();
        StartupHarness::quit(0);
    });
    EXPECT_EQ(opened, 2);
    EXPECT_TRUE(markedBefore);
    EXPECT_FALSE(markedAfter);
    EXPECT_EQ(tipAfter, QStringLiteral("A"));
    EXPECT_EQ(recordsAfter, 0u);
}

TEST(KeyAssignment, NothingOpensWithoutTheKeyboardOrOnAPress) {
    StartupHarness h;
    int opened = 0;
    h.run([&](Startup&, CMainDlg& w) {
        useEditor(
            w, [](MacroStore&) {}, kEditorCancel, &opened);
        EXPECT_EQ(w.onCoordButtonClick(kKeyA, L"A", CoordButtonImage::kPress, 0, 0, 0), 0);
        EXPECT_EQ(opened, 0);
        // The keyboard gone (its handle closed, as a removal leaves it).
        w.connection().device().Close();
        EXPECT_EQ(w.onCoordButtonClick(kKeyA, L"A", CoordButtonImage::kClick, 0, 0, 0), 0);
        StartupHarness::quit(0);
    });
    EXPECT_EQ(opened, 0);
}

TEST(KeyAssignment, ChoiceThatPointsAtNothingStoresNothing) {
    StartupHarness h;
    int opened = 0;
    std::size_t records = 99;
    h.run([&](Startup&, CMainDlg& w) {
        RecordStore::instance().clearRecords();
        useEditor(
            w, [](MacroStore& m) { m.config().type = 2, m.config().media = 1000; }, kEditorOk,
            &opened);
        clickKey(w.keyboardImage(), kKeyA);
        records = RecordStore::instance().records().size();
        StartupHarness::quit(0);
    });
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(records, 0u);
}

MacroStore& freshMacroStore() {
    MacroStore& store = MacroStore::instance();
    const std::wstring path = store.path();
    store = MacroStore();
    store.load(path);
    return store;
}

struct BuildCase {
    const char* name;
    std::int32_t type;
    std::int32_t group, skcode, media, function;
    bool built;
    std::wstring groupText;
    std::vector<MacroStep> steps;
};

class BuildRecord : public ::testing::TestWithParam<BuildCase> {};

bool sameSteps(const std::vector<MacroStep>& a, const std::vector<MacroStep>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].code != b[i].code || a[i].state != b[i].state || a[i].delay != b[i].delay ||
            a[i].name != b[i].name) {
            return false;
        }
    }
    return true;
}

// The record a confirmation builds, against the real keyboard picture and a configuration
// with two media entries and three combinations (one without parts, one with the largest
// delay).
TEST_P(BuildRecord, FromTheEditorsChoice) {
    const BuildCase& c = GetParam();
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        AppConfig config;
        ASSERT_TRUE(config.loadBuffer(
            "<?xml version=\"1.0\"?><funkey><key name=\"Mute\" code=\"173\"/>"
            "<key name=\"Calc\" code=\"10000\" path=\"calc.exe\"/></funkey>"
            "<combkey><key name=\"Copy\" code=\"17:20,67:20\"/><key name=\"None\" code=\"\"/>"
            "<key name=\"Long\" code=\"65:2147483647\"/></combkey>"));
        MacroStore store;
        store.appendGroups(
            {MacroGroup{L"G0", {{0x41, 0, 50, L"A"}, {0x41, 1, 0, L"A"}}}, MacroGroup{L"G1", {}}});
        store.config().type = c.type;
        store.config().group = c.group;
        store.config().skcode = c.skcode;
        store.config().media = c.media;
        store.config().function = c.function;
        store.config().repeat = 4;
        store.config().playmode = 1;
        const std::optional<KeyRecord> r =
            buildKeyRecord(0x46, L"F", store, config, w.keyboardImage());
        ASSERT_EQ(r.has_value(), c.built);
        if (r) {
            EXPECT_EQ(r->code, 0x46);
            EXPECT_EQ(r->name, L"F");
            EXPECT_EQ(r->type, c.type);
            EXPECT_EQ(r->group, c.groupText);
            EXPECT_EQ(r->repeat, c.type == 0 ? 4 : 0);
            EXPECT_EQ(r->mode, c.type == 0 ? 1 : 0);
            EXPECT_TRUE(sameSteps(r->steps, c.steps));
        }
        StartupHarness::quit(0);
    });
}

const BuildCase kBuildCases[] = {
    {"MacroCopiesTheGroup", 0, 0, 0, 0, 0, true, L"G0", {{0x41, 0, 50, L"A"}, {0x41, 1, 0, L"A"}}},
    {"MacroOfAnEmptyGroup", 0, 1, 0, 0, 0, true, L"G1", {}},
    {"MacroGroupEqualToTheCount", 0, 2, 0, 0, 0, false, L"", {}},
    {"MacroGroupNegative", 0, -1, 0, 0, 0, false, L"", {}},
    {"SingleKeyOnThePicture", 1, 0, 0x42, 0, 0, true, L"B", {{0x42, 0, 0, L""}}},
    {"SingleKeyNotOnThePicture", 1, 0, 0xE8, 0, 0, false, L"", {}},
    {"SingleKeyNone", 1, 0, 0, 0, 0, false, L"", {}},
    {"MediaKey", 2, 0, 0, 0, 0, true, L"Mute", {{173, 0, 0, L""}}},
    {"Program", 2, 0, 0, 1, 0, true, L"Calc", {{10000, 0, 0, L""}}},
    {"MediaBeyondTheList", 2, 0, 0, 2, 0, false, L"", {}},
    {"MediaNegative", 2, 0, 0, -1, 0, false, L"", {}},
    {"CombinationReleasesThenPresses",
     3,
     0,
     0,
     0,
     0,
     true,
     L"Copy",
     {{17, 1, 21, L""}, {67, 1, 21, L""}, {17, 0, 20, L""}, {67, 0, 20, L""}}},
    {"CombinationWithoutParts", 3, 0, 0, 0, 1, false, L"", {}},
    // The release's one millisecond more stays at the top of the range.
    {"CombinationDelayAtTheTopSaturates",
     3,
     0,
     0,
     0,
     2,
     true,
     L"Long",
     {{65, 1, INT_MAX, L""}, {65, 0, INT_MAX, L""}}},
    {"CombinationBeyondTheList", 3, 0, 0, 0, 3, false, L"", {}},
    {"UnknownType", 4, 0, 0x42, 0, 0, false, L"", {}},
};

INSTANTIATE_TEST_SUITE_P(KeyAssignment, BuildRecord, ::testing::ValuesIn(kBuildCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(KeyAssignment, AssigningTwiceReplacesTheRecordAndTheTip) {
    StartupHarness h;
    int opened = 0;
    std::vector<KeyRecord> records;
    bool marked = false;
    QString tipAfter;
    h.run([&](Startup&, CMainDlg& w) {
        RecordStore::instance().clearRecords();
        useEditor(
            w, [](MacroStore& m) { m.config().type = 2, m.config().media = 0; }, kEditorOk,
            &opened);
        clickKey(w.keyboardImage(), kKeyA);
        useEditor(
            w, [](MacroStore& m) { m.config().type = 2, m.config().media = 2; }, kEditorOk,
            &opened);
        clickKey(w.keyboardImage(), kKeyA);
        records = RecordStore::instance().records();
        marked = checked(w.keyboardImage(), kKeyA);
        tipAfter = tip(w.keyboardImage(), kKeyA);
        StartupHarness::quit(0);
    });
    EXPECT_EQ(opened, 2);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].group, L"Mute");
    EXPECT_TRUE(marked);
    EXPECT_EQ(tipAfter, QStringLiteral("A : Mute"));
}

TEST(KeyAssignment, RemovingAnAssignmentTheKeyDoesNotHaveStillResetsTheKey) {
    StartupHarness h;
    int opened = 0;
    std::size_t recordsAfter = 99;
    bool marked = true;
    QString tipAfter;
    h.run([&](Startup&, CMainDlg& w) {
        RecordStore::instance().clearRecords();
        KeyRecord other;
        other.code = 0x42;
        other.name = L"B";
        RecordStore::instance().setRecord(other);
        QFile::remove(h.folder.path() + QStringLiteral("/record.xml"));
        w.keyboardImage()->setKeyChecked(kKeyA, 1);
        w.keyboardImage()->setKeyTip(kKeyA, L"stale");
        useEditor(
            w, [](MacroStore&) {}, kEditorDelete, &opened);
        clickKey(w.keyboardImage(), kKeyA);
        recordsAfter = RecordStore::instance().records().size();
        marked = checked(w.keyboardImage(), kKeyA);
        tipAfter = tip(w.keyboardImage(), kKeyA);
        StartupHarness::quit(0);
    });
    EXPECT_EQ(recordsAfter, 1u);
    EXPECT_FALSE(marked);
    EXPECT_EQ(tipAfter, QStringLiteral("A"));
    EXPECT_TRUE(QFile::exists(h.folder.path() + QStringLiteral("/record.xml")));
}

TEST(KeyAssignment, MarksAndTipsAreBackAfterARestart) {
    StartupHarness h;
    int opened = 0;
    h.run([&](Startup&, CMainDlg& w) {
        RecordStore::instance().clearRecords();
        MacroStore& store = freshMacroStore();
        store.appendGroups({MacroGroup{L"Hello", {{0x41, 0, 0, L"A"}}}});
        useEditor(
            w,
            [](MacroStore& m) {
                m.config().type = 0;
                m.config().group = 0;
            },
            kEditorOk, &opened);
        clickKey(w.keyboardImage(), kKeyA);
        useEditor(
            w,
            [](MacroStore& m) {
                m.config().type = 3;
                m.config().function = 0;
            },
            kEditorOk, &opened);
        clickKey(w.keyboardImage(), 0x42);
        StartupHarness::quit(0);
    });
    ASSERT_EQ(opened, 2);
    {
        QFile saved(h.folder.path() + QStringLiteral("/record.xml"));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        const QByteArray xml = saved.readAll();
        EXPECT_TRUE(xml.contains("group=\"Hello\"")) << xml.toStdString();
    }
    // A new run reads what the first one saved (loading replaces the records in memory).
    bool markedA = false, markedB = false;
    QString tipA, tipB;
    StartupHarness again;
    again.settingsFolder = h.folder.wpath();
    again.run([&](Startup&, CMainDlg& w) {
        markedA = checked(w.keyboardImage(), kKeyA);
        markedB = checked(w.keyboardImage(), 0x42);
        tipA = tip(w.keyboardImage(), kKeyA);
        tipB = tip(w.keyboardImage(), 0x42);
        StartupHarness::quit(0);
    });
    EXPECT_TRUE(again.loopRan);
    EXPECT_TRUE(markedA);
    EXPECT_TRUE(markedB);
    EXPECT_EQ(tipA, QStringLiteral("A : Hello"));
    EXPECT_EQ(tipB, QStringLiteral("B : Copy"));
}

// The whole journey in the real window: a click on F opens the real editor, keys from the
// emulated stream are recorded into a new group, OK stores and marks F, and pressing F plays
// the recording into the emulated stream.
TEST(KeyAssignmentJourney, ClickRecordConfirmAndPlay) {
    StartupHarness h;
    bool editorOpen = false;
    std::vector<KeyRecord> records;
    bool marked = false;
    QString tipF;
    std::intptr_t pressF = 0, releaseF = 0;
    std::vector<std::string> played;
    h.run([&](Startup&, CMainDlg& w) {
        RecordStore::instance().clearRecords();
        freshMacroStore();
        auto* keys = dynamic_cast<platform::emulator::KeyStream*>(&KeyboardHook::keyInput());
        ASSERT_NE(keys, nullptr);
        // Runs inside the editor's modal loop.
        QTimer::singleShot(0, &w, [&] {
            auto* d = w.findChild<MacroRecordDlg*>();
            ASSERT_NE(d, nullptr);
            editorOpen = d->isVisible();
            auto button = [d](const char* name) {
                return qobject_cast<kg::ui::Button*>(d->findChildByName(QLatin1String(name)));
            };
            button("groupAdd")->click();
            auto* groups =
                qobject_cast<kg::ui::ListView*>(d->findChildByName(QStringLiteral("macro_group")));
            qobject_cast<kg::ui::ListItem*>(groups->row(0))->onClick();
            button("chk_macro_record")->click();
            keys->press(0x41);
            keys->release(0x41);
            keys->press(0x42);
            keys->release(0x42);
            button("chk_macro_record")->click();
            button("btnOK")->click();
        });
        clickKey(w.keyboardImage(), 0x46);
        records = RecordStore::instance().records();
        marked = checked(w.keyboardImage(), 0x46);
        tipF = tip(w.keyboardImage(), 0x46);
        keys->clearLog();
        pressF = keys->press(0x46);
        releaseF = keys->release(0x46);
        keys->waitForTyped(4, std::chrono::seconds(5));
        played = keys->log();
        StartupHarness::quit(0);
    });
    EXPECT_TRUE(editorOpen);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].code, 0x46);
    EXPECT_EQ(records[0].type, 0);
    EXPECT_EQ(records[0].group, L"Group 0");
    ASSERT_EQ(records[0].steps.size(), 4u);
    EXPECT_EQ(records[0].steps[0].name, L"A");
    EXPECT_EQ(records[0].steps[3].state, 1);
    EXPECT_TRUE(marked);
    EXPECT_EQ(tipF, QStringLiteral("F : Group 0"));
    EXPECT_EQ(pressF, 1);
    EXPECT_EQ(releaseF, 1);
    EXPECT_EQ(played, (std::vector<std::string>{"down 0x41", "up 0x41", "down 0x42", "up 0x42"}));
}

}  // namespace
}  // namespace kg
