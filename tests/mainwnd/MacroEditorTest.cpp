// The real macro editor inside the running program (offscreen, emulated keyboard): its opening
// rules, commands, fields, recording and keyboard use. The modal loop is replaced by the
// dialog host's runner, which drives the dialog the way the user would.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <functional>

#include "controls/CoordButtonImage.h"
#include "macro/editor/MacroRecordDlg.h"
#include "settings/AppConfig.h"
#include "settings/MacroStore.h"
#include "tests/support/ManualClock.h"
#include "tests/support/StartupHarness.h"
#include "ui/ComboBox.h"
#include "ui/Controls.h"
#include "ui/Edit.h"
#include "ui/FileDialog.h"
#include "ui/ListView.h"
#include "ui/TabCtrl.h"

namespace kg {
namespace {

using test::StartupHarness;

// The store is process-wide; each test starts from the defaults with the program's path.
MacroStore& freshMacroStore() {
    MacroStore& store = MacroStore::instance();
    const std::wstring path = store.path();
    store = MacroStore();
    store.load(path);
    return store;
}

void addGroup(MacroStore& store, const std::wstring& name, int steps) {
    MacroGroup g{name, {}};
    for (int i = 0; i < steps; ++i) {
        g.addStep(0x41 + i, i % 2, 10 * (i + 1), L"K");
    }
    store.appendGroups({g});
}

template <class T = kg::ui::Window>
T* control(MacroRecordDlg& d, const char* name) {
    return qobject_cast<T*>(d.findChildByName(QLatin1String(name)));
}

void click(MacroRecordDlg& d, const char* name) {
    auto* b = control<kg::ui::Button>(d, name);
    ASSERT_NE(b, nullptr) << name;
    b->click();
}

kg::ui::ListView* groups(MacroRecordDlg& d) {
    return control<kg::ui::ListView>(d, "macro_group");
}

kg::ui::McListView* stepsView(MacroRecordDlg& d) {
    return control<kg::ui::McListView>(d, "key_info");
}

void clickGroupRow(MacroRecordDlg& d, int row) {
    auto* item = qobject_cast<kg::ui::ListItem*>(groups(d)->row(row));
    ASSERT_NE(item, nullptr);
    item->onClick();
}

std::int32_t offer(MacroRecordDlg& d, std::uintptr_t message, std::uint32_t vk,
                   std::uint32_t flags = 0) {
    platform::KeyEvent e;
    e.vkCode = vk;
    e.flags = flags;
    platform::KeyEvent* record = &e;
    int code = 0;
    return d.onHookEvent(&code, &message, &record);
}

QString savedMacroXml(StartupHarness& h) {
    QFile f(h.folder.path() + QStringLiteral("/macro.xml"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Runs the editor for key F over the running main window; `drive` acts while it is open.
// Returns the dialog's result.
int runEditor(CMainDlg& w, std::map<std::uint8_t, std::wstring>& keys,
              const std::function<void(MacroRecordDlg&)>& drive,
              const kg::MonotonicClock* clock = nullptr) {
    kg::ui::DialogHost::setModalRunner([&](kg::ui::DialogHost& host) {
        drive(static_cast<MacroRecordDlg&>(host));
        return -1;
    });
    int result = 0;
    if (clock) {
        MacroRecordDlg d(MacroStore::instance(), AppConfig::instance(), w.keyboardImage(), keys,
                         *clock, clock->nowMs());
        result = d.doModal(&w);
    } else {
        MacroRecordDlg d(MacroStore::instance(), AppConfig::instance(), w.keyboardImage(), keys);
        result = d.doModal(&w);
    }
    kg::ui::DialogHost::setModalRunner(nullptr);
    return result;
}

std::map<std::uint8_t, std::wstring> keyF() {
    return {{0x46, L"F"}};
}

TEST(MacroEditor, OpeningShowsAndSettlesTheStoredChoice) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        addGroup(store, L"One", 2);
        addGroup(store, L"Two", 1);
        MacroConfig& c = store.config();
        c.group = 2;  // the group count: no such group
        c.mode = 5;
        c.skcode = 0x42;
        c.media = 2;
        c.function = 1;
        c.playmode = 1;
        c.repeat = 3;
        c.delay = 25;
        std::map<std::uint8_t, std::wstring> keys{{0x46, L"F"}, {0x41, L"A"}};
        runEditor(w, keys, [&](MacroRecordDlg& d) {
            EXPECT_EQ(groups(d)->getSel(), 0);
            EXPECT_EQ(groups(d)->rowCount(), 2);
            EXPECT_EQ(d.stepAdapter().shownPosition(), 0);
            EXPECT_EQ(stepsView(d)->rowCount(), 2);
            EXPECT_EQ(store.config().group, 0);
            EXPECT_EQ(store.config().mode, 0);
            EXPECT_TRUE(savedMacroXml(h).contains(QStringLiteral("mode=\"0\"")));
            EXPECT_EQ(control(d, "text_recording_keys")->text(), QStringLiteral("A,F"));
            EXPECT_EQ(control(d, "edit_single_key")->text(), QStringLiteral("B"));
            auto* media = control<kg::ui::ComboBox>(d, "cmb_media_keys");
            auto* combos = control<kg::ui::ComboBox>(d, "cmb_function_keys");
            EXPECT_EQ(media->count(), static_cast<int>(AppConfig::instance().mediaKeys.size()));
            EXPECT_EQ(media->itemText(2), QStringLiteral("Mute"));
            EXPECT_EQ(media->curSel(), 2);
            EXPECT_EQ(combos->count(), static_cast<int>(AppConfig::instance().keyCombos.size()));
            EXPECT_EQ(combos->curSel(), 1);
            EXPECT_TRUE(control(d, "click_to_stop")->isChecked());
            EXPECT_FALSE(control(d, "chk_macro_record")->isChecked());
            EXPECT_TRUE(control(d, "chk_macro_realy_delay")->isChecked());
            EXPECT_FALSE(control(d, "chk_macro_fixed_delay")->isChecked());
            EXPECT_FALSE(control(d, "edit_macro_delay_time")->isEnabled());
            EXPECT_EQ(control<kg::ui::Edit>(d, "edit_macro_delay_time")->editText(),
                      QStringLiteral("25"));
            EXPECT_EQ(control<kg::ui::Edit>(d, "edit_macro_repeat_times")->editText(),
                      QStringLiteral("3"));
            EXPECT_EQ(d.recorder().lastEventTime(), -1);
            // The rows of the step list: code, name, state and delay.
            kg::ui::Window* row = stepsView(d)->row(1);
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(row->findChildByName(QStringLiteral("key_code"))->text(),
                      QStringLiteral("66"));
            EXPECT_EQ(row->findChildByName(QStringLiteral("key_state"))->text(),
                      QStringLiteral("key up"));
            EXPECT_EQ(qobject_cast<kg::ui::Edit*>(row->findChildByName(QStringLiteral("key_delay")))
                          ->editText(),
                      QStringLiteral("20"));
        });
        StartupHarness::quit(0);
    });
}

TEST(MacroEditor, NoDelayModeOpensWithZeroAndAFixedDelayOpensEditable) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        store.config().mode = 2;
        store.config().delay = 40;
        auto keys = keyF();
        runEditor(w, keys, [&](MacroRecordDlg& d) {
            EXPECT_EQ(control<kg::ui::Edit>(d, "edit_macro_delay_time")->editText(),
                      QStringLiteral("0"));
            EXPECT_FALSE(control(d, "edit_macro_delay_time")->isEnabled());
            EXPECT_TRUE(control(d, "chk_macro_no_delay")->isChecked());
            EXPECT_EQ(store.config().delay, 40);
        });
        store.config().mode = 1;
        runEditor(w, keys, [&](MacroRecordDlg& d) {
            EXPECT_EQ(control<kg::ui::Edit>(d, "edit_macro_delay_time")->editText(),
                      QStringLiteral("40"));
            EXPECT_TRUE(control(d, "edit_macro_delay_time")->isEnabled());
        });
        StartupHarness::quit(0);
    });
}

TEST(MacroEditor, TheRecordBoxNeedsASelectedGroup) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        auto keys = keyF();
        runEditor(w, keys, [&](MacroRecordDlg& d) {
            auto* record = control<kg::ui::CheckBox>(d, "chk_macro_record");
            click(d, "chk_macro_record");
            EXPECT_FALSE(record->isChecked());
            EXPECT_EQ(store.config().recording, 0);
            EXPECT_EQ(offer(d, platform::kMsgKeyDown, 0x41), 0);

            click(d, "groupAdd");
            ASSERT_EQ(store.groupCount(), 1);
            EXPECT_EQ(store.groupAt(0)->name, L"Group 0");
            clickGroupRow(d, 0);
            click(d, "chk_macro_record");
            EXPECT_TRUE(record->isChecked());
            EXPECT_EQ(record->text(), QStringLiteral("Stop record"));
            EXPECT_EQ(store.config().recording, 1);
            EXPECT_EQ(offer(d, platform::kMsgKeyDown, 0x41), 1);
            EXPECT_EQ(offer(d, platform::kMsgKeyUp, 0x41), 1);
            EXPECT_EQ(stepsView(d)->rowCount(), 2);
            click(d, "chk_macro_record");
            EXPECT_EQ(record->text(), QStringLiteral("Start record"));
            EXPECT_EQ(store.config().recording, 0);
            EXPECT_EQ(offer(d, platform::kMsgKeyDown, 0x42), 0);
        });
        ASSERT_EQ(store.groupCount(), 1);
        EXPECT_EQ(store.groupAt(0)->steps.size(), 2u);
        StartupHarness::quit(0);
    });
}

TEST(MacroEditor, RecordingTakesRealFixedAndNoDelays) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        addGroup(store, L"G", 0);
        auto keys = keyF();
        kg::ManualClock clock;
        struct Mode {
            const char* control;
            std::vector<std::int32_t> delays;
        };
        for (const Mode& m :
             {Mode{"chk_macro_realy_delay", {200, 300, 0}},
              Mode{"chk_macro_fixed_delay", {25, 25, 0}}, Mode{"chk_macro_no_delay", {0, 0, 0}}}) {
            store.groupAt(0)->clearSteps();
            store.config().delay = 25;
            runEditor(
                w, keys,
                [&](MacroRecordDlg& d) {
                    click(d, m.control);
                    clickGroupRow(d, 0);
                    click(d, "chk_macro_record");
                    offer(d, platform::kMsgKeyDown, 0x41);
                    clock.advance(200);
                    offer(d, platform::kMsgKeyUp, 0x41);
                    clock.advance(300);
                    offer(d, platform::kMsgKeyDown, 0xA1);
                    click(d, "btnOK");
                },
                &clock);
            const MacroGroup* g = store.groupAt(0);
            ASSERT_EQ(g->steps.size(), 3u) << m.control;
            std::vector<std::int32_t> delays;
            for (const MacroStep& s : g->steps) {
                delays.push_back(s.delay);
            }
            EXPECT_EQ(delays, m.delays) << m.control;
            EXPECT_EQ(g->steps[2].code, 161);
            EXPECT_EQ(g->steps[2].name, L"ShiftRight");
        }
        StartupHarness::quit(0);
    });
}

TEST(MacroEditor, TheStepDelayField) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        addGroup(store, L"G", 2);
        auto keys = keyF();
        runEditor(w, keys, [&](MacroRecordDlg& d) {
            auto* delay = qobject_cast<kg::ui::Edit*>(
                stepsView(d)->row(0)->findChildByName(QStringLiteral("key_delay")));
            ASSERT_NE(delay, nullptr);
            EXPECT_EQ(delay->data(), 0);
            struct Typed {
                const char* text;
                std::int32_t delay;
                const char* shown;
            };
            for (const Typed& t : {Typed{"abc", 10, "10"}, Typed{" 42", 42, " 42"},
                                   Typed{"", 0, ""}, Typed{"7ms", 7, "7ms"}}) {
                delay->lineEdit()->setText(QString::fromLatin1(t.text));
                EXPECT_EQ(store.groupAt(0)->steps[0].delay, t.delay) << t.text;
                EXPECT_EQ(delay->editText(), QString::fromLatin1(t.shown)) << t.text;
            }
            EXPECT_EQ(store.groupAt(0)->steps[1].delay, 20);
        });
        StartupHarness::quit(0);
    });
}

TEST(MacroEditor, ResultsOfTheThreeButtons) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        addGroup(store, L"A", 0);
        addGroup(store, L"B", 0);
        auto keys = keyF();
        EXPECT_EQ(runEditor(w, keys,
                            [&](MacroRecordDlg& d) {
                                clickGroupRow(d, 1);
                                click(d, "btnOK");
                            }),
                  1);
        EXPECT_EQ(store.config().group, 1);
        EXPECT_EQ(runEditor(w, keys, [&](MacroRecordDlg& d) { click(d, "btnCancel"); }), 2);
        EXPECT_EQ(runEditor(w, keys, [&](MacroRecordDlg& d) { click(d, "btnDelete"); }), 65597);
        // On the combination page OK leaves the group alone.
        EXPECT_EQ(
            runEditor(w, keys,
                      [&](MacroRecordDlg& d) {
                          groups(d)->setSel(-1);
                          control<kg::ui::TabCtrl>(d, "tab_macro_mode_selection")->setCurSel(3);
                          click(d, "btnOK");
                      }),
            1);
        EXPECT_EQ(store.config().group, 1);
        EXPECT_EQ(store.config().type, 3);
        StartupHarness::quit(0);
    });
}

TEST(MacroEditor, CancelKeepsWhatWasRecorded) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        addGroup(store, L"G", 0);
        auto keys = keyF();
        EXPECT_EQ(runEditor(w, keys,
                            [&](MacroRecordDlg& d) {
                                clickGroupRow(d, 0);
                                click(d, "chk_macro_record");
                                offer(d, platform::kMsgKeyDown, 0x0D, platform::kKeyFlagExtended);
                                click(d, "btnCancel");
                            }),
                  2);
        ASSERT_EQ(store.groupAt(0)->steps.size(), 1u);
        EXPECT_EQ(store.groupAt(0)->steps[0].code, 13);
        EXPECT_EQ(store.groupAt(0)->steps[0].name, L"Pad Enter");
        StartupHarness::quit(0);
    });
}

TEST(MacroEditor, DeletingTheSelectedLastGroupShowsNone) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        addGroup(store, L"A", 2);
        addGroup(store, L"B", 3);
        addGroup(store, L"C", 1);
        auto keys = keyF();
        runEditor(w, keys, [&](MacroRecordDlg& d) {
            clickGroupRow(d, 2);
            EXPECT_EQ(store.config().group, 2);
            click(d, "groupDel");
            EXPECT_EQ(groups(d)->rowCount(), 2);
            EXPECT_EQ(groups(d)->getSel(), -1);
            EXPECT_EQ(store.config().group, -1);
            EXPECT_EQ(d.stepAdapter().shownGroup(), nullptr);
            EXPECT_EQ(stepsView(d)->rowCount(), 0);
            // Nothing selected: nothing more is deleted.
            click(d, "groupDel");
            EXPECT_EQ(store.groupCount(), 2);
            // Adding with no group chosen selects the first.
            click(d, "groupAdd");
            EXPECT_EQ(store.config().group, 0);
            EXPECT_EQ(groups(d)->getSel(), 0);
        });
        ASSERT_EQ(store.groupCount(), 3);
        EXPECT_EQ(store.groupAt(0)->steps.size(), 2u);
        EXPECT_EQ(store.groupAt(1)->steps.size(), 3u);
        EXPECT_EQ(store.groupAt(2)->name, L"Group 2");
        StartupHarness::quit(0);
    });
}

TEST(MacroEditor, StepCommands) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        addGroup(store, L"G", 3);  // codes 0x41, 0x42, 0x43
        auto keys = keyF();
        runEditor(w, keys, [&](MacroRecordDlg& d) {
            auto codes = [&] {
                std::vector<int> out;
                for (const MacroStep& s : store.groupAt(0)->steps) {
                    out.push_back(s.code);
                }
                return out;
            };
            stepsView(d)->setSel(0);
            click(d, "item_up");  // the first cannot move up
            EXPECT_EQ(codes(), (std::vector<int>{0x41, 0x42, 0x43}));
            click(d, "item_down");
            EXPECT_EQ(codes(), (std::vector<int>{0x42, 0x41, 0x43}));
            EXPECT_EQ(stepsView(d)->getSel(), 1);
            click(d, "item_up");
            EXPECT_EQ(codes(), (std::vector<int>{0x41, 0x42, 0x43}));
            EXPECT_EQ(stepsView(d)->getSel(), 0);
            click(d, "item_delete");
            EXPECT_EQ(codes(), (std::vector<int>{0x42, 0x43}));
            EXPECT_EQ(stepsView(d)->rowCount(), 2);
            click(d, "item_clear");
            EXPECT_TRUE(codes().empty());
            EXPECT_EQ(stepsView(d)->rowCount(), 0);
        });
        StartupHarness::quit(0);
    });
}

TEST(MacroEditor, SettingsFieldsAndListsSaveAtOnce) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        addGroup(store, L"G", 0);
        auto keys = keyF();
        runEditor(w, keys, [&](MacroRecordDlg& d) {
            auto* repeat = control<kg::ui::Edit>(d, "edit_macro_repeat_times");
            repeat->lineEdit()->setText(QStringLiteral("7x"));
            EXPECT_EQ(store.config().repeat, 7);
            EXPECT_TRUE(savedMacroXml(h).contains(QStringLiteral("repeat=\"7\"")));
            repeat->lineEdit()->setText(QString());
            EXPECT_EQ(store.config().repeat, 0);

            auto* delay = control<kg::ui::Edit>(d, "edit_macro_delay_time");
            delay->lineEdit()->setText(QStringLiteral("33"));  // real-time mode: ignored
            EXPECT_EQ(store.config().delay, 10);
            click(d, "chk_macro_fixed_delay");
            EXPECT_EQ(store.config().mode, 1);
            EXPECT_TRUE(delay->isEnabled());
            delay->lineEdit()->setText(QStringLiteral("33"));
            EXPECT_EQ(store.config().delay, 33);
            EXPECT_TRUE(savedMacroXml(h).contains(QStringLiteral("delay=\"33\"")));
            click(d, "chk_macro_no_delay");
            EXPECT_EQ(store.config().mode, 2);
            EXPECT_EQ(delay->editText(), QStringLiteral("0"));
            EXPECT_EQ(store.config().delay, 33);
            EXPECT_FALSE(delay->isEnabled());
            click(d, "chk_macro_realy_delay");
            EXPECT_EQ(store.config().mode, 0);

            click(d, "click_to_stop");
            EXPECT_EQ(store.config().playmode, 1);
            EXPECT_TRUE(savedMacroXml(h).contains(QStringLiteral("playmode=\"0\"")));

            control<kg::ui::TabCtrl>(d, "tab_macro_mode_selection")->setCurSel(2);
            EXPECT_EQ(store.config().type, 2);
            EXPECT_TRUE(savedMacroXml(h).contains(QStringLiteral("type=\"2\"")));
            control<kg::ui::ComboBox>(d, "cmb_media_keys")->setCurSel(4);
            EXPECT_EQ(store.config().media, 4);
            control<kg::ui::ComboBox>(d, "cmb_function_keys")->setCurSel(5);
            EXPECT_EQ(store.config().function, 5);
            EXPECT_TRUE(savedMacroXml(h).contains(QStringLiteral("function=\"5\"")));

            // Every keystroke in a group's name renames and saves.
            auto* name = qobject_cast<kg::ui::Edit*>(
                groups(d)->row(0)->findChildByName(QStringLiteral("group_name")));
            ASSERT_NE(name, nullptr);
            name->lineEdit()->setText(QStringLiteral("Sa"));
            name->lineEdit()->setText(QStringLiteral("Sav"));
            EXPECT_EQ(store.groupAt(0)->name, L"Sav");
            EXPECT_TRUE(savedMacroXml(h).contains(QStringLiteral("name=\"Sav\"")));

            // Header clicks mark the sort direction of one column only.
            kg::ui::McListView* list = stepsView(d);
            list->clickHeader(1);
            EXPECT_EQ(list->sortMark(1), kg::ui::SortMark::Up);
            list->clickHeader(1);
            EXPECT_EQ(list->sortMark(1), kg::ui::SortMark::Down);
            list->clickHeader(2);
            EXPECT_EQ(list->sortMark(1), kg::ui::SortMark::None);
            EXPECT_EQ(list->sortMark(2), kg::ui::SortMark::Up);
        });
        StartupHarness::quit(0);
    });
}

TEST(MacroEditor, TheSingleKeyPageCapturesTheNextPress) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        auto keys = keyF();
        runEditor(w, keys, [&](MacroRecordDlg& d) {
            control<kg::ui::TabCtrl>(d, "tab_macro_mode_selection")->setCurSel(1);
            EXPECT_TRUE(d.capturingKeys());
            kg::ui::Window* field = control(d, "edit_single_key");
            EXPECT_EQ(offer(d, platform::kMsgKeyDown, 0x42), 1);
            EXPECT_EQ(field->text(), QStringLiteral("B"));
            EXPECT_EQ(field->data(), 0x42);
            EXPECT_EQ(store.config().skcode, 0x42);
            EXPECT_EQ(offer(d, platform::kMsgKeyUp, 0x42), 0);
            // A code the keyboard picture does not have keeps the name shown.
            EXPECT_EQ(offer(d, platform::kMsgKeyDown, 0xE8), 1);
            EXPECT_EQ(field->text(), QStringLiteral("B"));
            EXPECT_EQ(field->data(), 0);
            EXPECT_EQ(store.config().skcode, 0xE8);
        });
        StartupHarness::quit(0);
    });
}

void sendKey(QWidget* to, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &press);
}

TEST(MacroEditor, EscapeCancelsAndTabMovesUnlessTheRecorderHasTheKeyboard) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        addGroup(store, L"G", 0);
        auto keys = keyF();
        EXPECT_EQ(runEditor(w, keys,
                            [&](MacroRecordDlg& d) {
                                d.show();
                                QLineEdit* repeat =
                                    control<kg::ui::Edit>(d, "edit_macro_repeat_times")->lineEdit();
                                repeat->setFocus(Qt::TabFocusReason);
                                sendKey(repeat, Qt::Key_Tab);
                                QWidget* now = d.focusWidget();
                                EXPECT_NE(now, repeat);
                                EXPECT_TRUE(now && d.isAncestorOf(now));
                                sendKey(now, Qt::Key_Escape);
                            }),
                  2);
        EXPECT_EQ(runEditor(w, keys,
                            [&](MacroRecordDlg& d) {
                                clickGroupRow(d, 0);
                                click(d, "chk_macro_record");
                                QLineEdit* repeat =
                                    control<kg::ui::Edit>(d, "edit_macro_repeat_times")->lineEdit();
                                sendKey(repeat, Qt::Key_Escape);
                                sendKey(repeat, Qt::Key_5, QStringLiteral("5"));
                                EXPECT_EQ(repeat->text(), QStringLiteral("1"));
                                click(d, "btnDelete");
                            }),
                  65597);
        StartupHarness::quit(0);
    });
}

TEST(MacroEditor, ExportAndImportGroupsThroughFiles) {
    StartupHarness h;
    h.run([&](Startup&, CMainDlg& w) {
        MacroStore& store = freshMacroStore();
        addGroup(store, L"Copy", 2);
        const QString file = h.folder.path() + QStringLiteral("/copy.xml");
        const QString bad = h.folder.path() + QStringLiteral("/bad.xml");
        QFile badFile(bad);
        ASSERT_TRUE(badFile.open(QIODevice::WriteOnly));
        badFile.write("<?xml version=\"1.0\"?>\n<record code=\"65\" />\n");
        badFile.close();
        QString answer;
        std::vector<kg::ui::FileDialogKind> asked;
        kg::ui::setFileDialogAnswerer([&](const kg::ui::FileDialogRequest& r) {
            asked.push_back(r.kind);
            return answer;
        });
        auto keys = keyF();
        runEditor(w, keys, [&](MacroRecordDlg& d) {
            groups(d)->setSel(-1);
            click(d, "groupExport");  // no group chosen
            ASSERT_EQ(h.boxes.size(), 1u);
            EXPECT_EQ(h.boxes[0].caption, QStringLiteral("Warning"));
            clickGroupRow(d, 0);
            answer = file;
            click(d, "groupExport");
            EXPECT_TRUE(QFile::exists(file));
            click(d, "groupImport");
            EXPECT_EQ(groups(d)->rowCount(), 2);
            answer = bad;
            click(d, "groupImport");
            EXPECT_EQ(groups(d)->rowCount(), 2);
            ASSERT_EQ(h.boxes.size(), 2u);
            EXPECT_EQ(h.boxes[1].text,
                      QStringLiteral("The file is not a macro group file. Nothing was imported."));
            answer.clear();  // cancelled
            click(d, "groupImport");
            EXPECT_EQ(h.boxes.size(), 2u);
        });
        kg::ui::setFileDialogAnswerer(nullptr);
        EXPECT_EQ(asked.size(), 4u);
        ASSERT_EQ(store.groupCount(), 2);
        EXPECT_EQ(store.groupAt(1)->name, L"Copy (2)");
        EXPECT_EQ(store.groupAt(1)->steps.size(), 2u);
        EXPECT_TRUE(savedMacroXml(h).contains(QStringLiteral("Copy (2)")));
        StartupHarness::quit(0);
    });
}

}  // namespace
}  // namespace kg
