#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QMouseEvent>

#include "controls/CoordButtonImage.h"
#include "macro/KeyboardHook.h"
#include "platform/emulator/EmulatedKeyboard.h"
#include "platform/emulator/KeyStream.h"
#include "settings/MacroStore.h"
#include "settings/RecordStore.h"
#include "tests/support/StartupHarness.h"

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

}  // namespace
}  // namespace kg
