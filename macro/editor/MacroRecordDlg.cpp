#include "macro/editor/MacroRecordDlg.h"

#include <QApplication>
#include <QKeyEvent>

#include "controls/CoordButtonImage.h"
#include "macro/EditorFields.h"
#include "macro/MacroGroupFile.h"
#include "settings/AppConfig.h"
#include "settings/MacroStore.h"
#include "ui/ComboBox.h"
#include "ui/Controls.h"
#include "ui/Edit.h"
#include "ui/FileDialog.h"
#include "ui/ListView.h"
#include "ui/MessageBox.h"
#include "ui/TabCtrl.h"
#include "ui/Toolkit.h"

namespace {

QString toQString(const std::wstring& s) {
    return QString::fromStdWString(s);
}

const QString kGroupFileFilter = QStringLiteral("Macro groups (*.xml)");

}  // namespace

MacroRecordDlg::MacroRecordDlg(MacroStore& store, const AppConfig& config,
                               CoordButtonImage* keyboardImage,
                               std::map<std::uint8_t, std::wstring>& clickedKeys)
    : kg::ui::DialogHost(QStringLiteral("LAYOUT:macro")),
      m_store(store),
      m_config(config),
      m_keyboardImage(keyboardImage),
      m_clickedKeys(clickedKeys),
      m_groupAdapter(store),
      m_stepAdapter(store),
      m_recorder(store) {
    qApp->installEventFilter(this);
}

MacroRecordDlg::MacroRecordDlg(MacroStore& store, const AppConfig& config,
                               CoordButtonImage* keyboardImage,
                               std::map<std::uint8_t, std::wstring>& clickedKeys,
                               const kg::MonotonicClock& clock, std::uint64_t clockStart_ms)
    : kg::ui::DialogHost(QStringLiteral("LAYOUT:macro")),
      m_store(store),
      m_config(config),
      m_keyboardImage(keyboardImage),
      m_clickedKeys(clickedKeys),
      m_groupAdapter(store),
      m_stepAdapter(store),
      m_recorder(store, clock, clockStart_ms) {
    qApp->installEventFilter(this);
}

MacroRecordDlg::~MacroRecordDlg() {
    qApp->removeEventFilter(this);
    // The views go with the window; they must not call the adapters while they do.
    if (m_groupList) {
        m_groupList->setAdapter(nullptr);
    }
    if (m_stepList) {
        m_stepList->setMcAdapter(nullptr);
    }
}

kg::ui::Window* MacroRecordDlg::controlById(const char* name, const char* cls) const {
    kg::ui::Toolkit* tk = kg::ui::Toolkit::instance();
    const int id = tk ? tk->namedIds().idOf(QLatin1String(name)) : -1;
    if (id <= 0) {
        return nullptr;
    }
    return findChildById(id, cls ? QLatin1String(cls) : QString());
}

int MacroRecordDlg::currentPage() const {
    return m_tabs ? m_tabs->curSel() : 0;
}

int MacroRecordDlg::selectedGroupRow() const {
    return m_groupList ? m_groupList->getSel() : -1;
}

bool MacroRecordDlg::capturingKeys() const {
    return (m_record && m_record->isChecked()) || currentPage() == MacroRecorder::kPageSingleKey;
}

void MacroRecordDlg::showSteps(int position) {
    m_stepAdapter.showGroup(position >= 0 && position < m_store.groupCount() ? position : -1);
    refreshSteps();
}

void MacroRecordDlg::refreshSteps() {
    m_stepAdapter.notifyDataSetChanged();
}

void MacroRecordDlg::onInitDialog() {
    MacroConfig& config = m_store.config();

    m_stepList = findChildAs<kg::ui::McListView>(QStringLiteral("key_info"));
    if (m_stepList) {
        m_stepList->setMcAdapter(&m_stepAdapter);
    }

    m_groupList = findChildAs<kg::ui::ListView>(QStringLiteral("macro_group"));
    m_groupAdapter.setListener(this);
    if (m_groupList) {
        m_groupList->setAdapter(&m_groupAdapter);
    }
    const bool modeReset = kg::settleEditorConfig(config, m_store.groupCount());
    if (m_groupList) {
        m_groupList->setSel(config.group, false);
    }
    showSteps(config.group);

    m_recorder.restart();

    m_recordingKeys =
        findChildByName(QStringLiteral("text_recording_keys"), QStringLiteral("text"));
    if (m_recordingKeys) {
        m_recordingKeys->setText(toQString(kg::joinKeyNames(m_clickedKeys)));
    }

    if (modeReset) {
        m_store.save();
    }

    m_delayModes.clear();
    for (const char* name :
         {"chk_macro_realy_delay", "chk_macro_fixed_delay", "chk_macro_no_delay"}) {
        if (kg::ui::Window* w = controlById(name, nullptr)) {
            m_delayModes.push_back(w);
        }
    }
    for (kg::ui::Window* w : m_delayModes) {
        w->setChecked(false);
    }
    if (config.mode >= 0 && config.mode < static_cast<int>(m_delayModes.size())) {
        m_delayModes[static_cast<std::size_t>(config.mode)]->setChecked(true);
    }

    m_tabs = qobject_cast<kg::ui::TabCtrl*>(controlById("tab_macro_mode_selection", "tabctrl2"));
    m_record = qobject_cast<kg::ui::CheckBox*>(controlById("chk_macro_record", "checkex"));
    m_delayTime = qobject_cast<kg::ui::Edit*>(controlById("edit_macro_delay_time", "edit"));
    m_repeatTimes = qobject_cast<kg::ui::Edit*>(controlById("edit_macro_repeat_times", "edit"));
    m_clickToStop = controlById("click_to_stop", "check");
    m_singleRecord = controlById("chk_single_record", "checkex");
    m_singleKey = controlById("edit_single_key", "text");
    m_mediaKeys = qobject_cast<kg::ui::ComboBox*>(controlById("cmb_media_keys", "combobox"));
    m_functionKeys = qobject_cast<kg::ui::ComboBox*>(controlById("cmb_function_keys", "combobox"));

    if (m_singleKey) {
        CoordButton key;
        const bool known = config.skcode != 0 && m_keyboardImage != nullptr &&
                           m_keyboardImage->findKey(config.skcode, key);
        m_singleKey->setText(known ? toQString(key.name) : QString());
    }

    const AppConfig& appConfig = m_config;
    if (m_mediaKeys) {
        m_mediaKeys->subscribe(kg::ui::kEventSelChanged, [this](kg::ui::Event& e) {
            m_store.config().media = e.newSel;
            m_store.save();
            return true;
        });
        // Item texts are sources: the combo box shows them translated.
        for (const MediaKeyEntry& entry : appConfig.mediaKeys) {
            m_mediaKeys->addItem(toQString(entry.name));
        }
    }
    if (m_functionKeys) {
        m_functionKeys->subscribe(kg::ui::kEventSelChanged, [this](kg::ui::Event& e) {
            m_store.config().function = e.newSel;
            m_store.save();
            return true;
        });
        for (const KeyComboEntry& entry : appConfig.keyCombos) {
            m_functionKeys->addItem(toQString(entry.name));
        }
    }

    if (m_record) {
        m_record->subscribe(kg::ui::kEventCommand, [this](kg::ui::Event&) {
            onRecordSwitch();
            return true;
        });
    }
    if (m_repeatTimes) {
        m_repeatTimes->subscribe(kg::ui::kEventTextChanged, [this](kg::ui::Event& e) {
            m_store.config().repeat = kg::leadingNumber(e.text.toStdWString());
            m_store.save();
            return true;
        });
    }
    if (m_delayTime) {
        m_delayTime->subscribe(kg::ui::kEventTextChanged, [this](kg::ui::Event& e) {
            if (m_store.config().mode == 1) {
                m_store.config().delay = kg::leadingNumber(e.text.toStdWString());
                m_store.save();
            }
            return true;
        });
    }
    if (m_tabs) {
        m_tabs->subscribe(kg::ui::kEventTabSelChanged, [this](kg::ui::Event& e) {
            m_store.config().type = e.newSel;
            m_store.save();
            return true;
        });
        m_tabs->setCurSel(config.type);
    }
    if (m_delayTime) {
        m_delayTime->setText(QString::number(config.delay));
        if (config.mode == 2) {
            m_delayTime->setText(QStringLiteral("0"));
        }
        m_delayTime->setEnabled(!(config.mode == 0 || config.mode == 2));
    }
    if (m_repeatTimes) {
        m_repeatTimes->setText(QString::number(config.repeat));
    }

    if (m_record) {
        m_record->setChecked(false);
    }
    if (m_functionKeys) {
        m_functionKeys->setCurSel(config.function, false);
    }
    if (m_mediaKeys) {
        m_mediaKeys->setCurSel(config.media, false);
    }
    if (m_singleRecord) {
        m_singleRecord->setChecked(false);
    }
    if (m_clickToStop) {
        m_clickToStop->setChecked(config.playmode != 0);
    }
}

bool MacroRecordDlg::onEvent(kg::ui::Event& e) {
    if (e.id != kg::ui::kEventCommand) {
        return false;
    }
    const QString& name = e.senderName;
    if (name == QLatin1String("btnOK")) {
        onOk();
    } else if (name == QLatin1String("btnCancel")) {
        endDialog(kResultCancel);
    } else if (name == QLatin1String("btnDelete")) {
        endDialog(kResultDelete);
    } else if (name == QLatin1String("btnMin")) {
        sendMessage(kg::ui::kMsgSysCommand, kg::ui::kScMinimize);
    } else if (name == QLatin1String("btnRestore")) {
        sendMessage(kg::ui::kMsgSysCommand, kg::ui::kScRestore);
    } else if (name == QLatin1String("groupAdd")) {
        onAddGroup();
    } else if (name == QLatin1String("groupDel")) {
        onDeleteGroup();
    } else if (name == QLatin1String("groupExport")) {
        onExportGroup();
    } else if (name == QLatin1String("groupImport")) {
        onImportGroups();
    } else if (name == QLatin1String("item_up") || name == QLatin1String("item_down") ||
               name == QLatin1String("item_delete") || name == QLatin1String("item_clear")) {
        onStepCommand(name);
    } else if (name == QLatin1String("click_to_stop")) {
        // Not saved now: the next save of the store takes it along.
        m_store.config().playmode = e.sender && e.sender->isChecked() ? 1 : 0;
    } else if (name == QLatin1String("chk_macro_realy_delay")) {
        onDelayMode(0);
    } else if (name == QLatin1String("chk_macro_fixed_delay")) {
        onDelayMode(1);
    } else if (name == QLatin1String("chk_macro_no_delay")) {
        onDelayMode(2);
    } else {
        return false;
    }
    return true;
}

void MacroRecordDlg::onOk() {
    if (!m_clickedKeys.empty() && currentPage() < 3) {
        m_store.config().group = selectedGroupRow();
    }
    endDialog(kResultOk);
}

void MacroRecordDlg::onRecordSwitch() {
    if (m_record == nullptr) {
        return;
    }
    if (selectedGroupRow() < 0) {
        m_record->setChecked(false);
    } else {
        m_record->setText(m_record->isChecked() ? QStringLiteral("Stop record")
                                                : QStringLiteral("Start record"));
    }
    m_store.config().recording = m_record->isChecked() ? 1 : 0;
}

void MacroRecordDlg::onAddGroup() {
    m_store.addGroup();
    m_groupAdapter.notifyDataSetChanged();
    if (m_store.config().group < 0 && m_store.groupCount() > 0) {
        m_store.config().group = 0;
        if (m_groupList) {
            m_groupList->setSel(0, false);
        }
    }
}

void MacroRecordDlg::onDeleteGroup() {
    const int row = selectedGroupRow();
    if (row >= 0) {
        m_store.deleteGroup(row);
        m_groupAdapter.notifyDataSetChanged();
    }
    const int now = selectedGroupRow();
    m_store.config().group = now;
    // The step list shows what now sits at its position, or nothing.
    if (now < 0) {
        m_stepAdapter.showGroup(-1);
    }
    refreshSteps();
}

void MacroRecordDlg::onStepCommand(const QString& name) {
    MacroGroup* group = m_stepAdapter.shownGroup();
    const int s = m_stepList ? m_stepList->getSel() : -1;
    const int steps = group ? static_cast<int>(group->steps.size()) : 0;
    bool changed = false;
    int select = -1;
    if (name == QLatin1String("item_up")) {
        changed = group && s > 0 && group->moveStepUp(s);
        select = s - 1;
    } else if (name == QLatin1String("item_down")) {
        changed = group && s >= 0 && s < steps && group->moveStepDown(s);
        select = s + 1;
    } else if (name == QLatin1String("item_delete")) {
        if (group) {
            group->deleteStep(s);
        }
        changed = true;
    } else {
        if (group) {
            group->clearSteps();
        }
        changed = true;
    }
    if (!changed) {
        return;
    }
    refreshSteps();
    if (select >= 0 && m_stepList) {
        m_stepList->setSel(select, false);
    }
    m_store.config().group = selectedGroupRow();
}

void MacroRecordDlg::onDelayMode(int mode) {
    MacroConfig& config = m_store.config();
    config.mode = mode;
    if (m_delayTime) {
        if (mode == 1) {
            m_delayTime->setEnabled(true);
            m_delayTime->setText(QString::number(config.delay));
        } else {
            if (mode == 2) {
                m_delayTime->setText(QStringLiteral("0"));
            }
            m_delayTime->setEnabled(false);
        }
    }
    m_store.save();
}

void MacroRecordDlg::onMacroGroupClicked(int position, const std::wstring& /*name*/) {
    showSteps(position);
    m_store.config().group = selectedGroupRow();
}

std::int32_t MacroRecordDlg::onHookEvent(int* /*code*/, std::uintptr_t* message,
                                         platform::KeyEvent** eventRecord) noexcept {
    if (message == nullptr || eventRecord == nullptr || *eventRecord == nullptr) {
        return 0;
    }
    const MacroRecorder::KeyLookup lookup = [this](int id, std::wstring& name) {
        CoordButton key;
        if (m_keyboardImage == nullptr || !m_keyboardImage->findKey(id, key)) {
            return false;
        }
        name = key.name;
        return true;
    };
    const RecorderResult r =
        m_recorder.onKeyEvent(currentPage(), m_record && m_record->isChecked(),
                              m_stepAdapter.shownGroup(), *message, **eventRecord, lookup);
    if (r.stepsChanged) {
        refreshSteps();
    }
    if (r.singleKeyTaken && m_singleKey) {
        if (r.singleKeyKnown) {
            m_singleKey->setText(toQString(r.singleKeyName));
            m_singleKey->setData(m_store.config().skcode);
        } else {
            m_singleKey->setData(0);
        }
    }
    return r.swallow;
}

bool MacroRecordDlg::eventFilter(QObject* watched, QEvent* e) {
    const QEvent::Type type = e->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
        type != QEvent::ShortcutOverride) {
        return DialogHost::eventFilter(watched, e);
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || (widget != this && !isAncestorOf(widget))) {
        return DialogHost::eventFilter(watched, e);
    }
    // While the recorder has the keyboard, no key acts on the dialog or types into a field.
    if (capturingKeys()) {
        return true;
    }
    if (type == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
        endDialog(kResultCancel);
        return true;
    }
    return DialogHost::eventFilter(watched, e);
}

void MacroRecordDlg::warn(const QString& text) {
    kg::ui::messageBox(this, text, QStringLiteral("Warning"), kg::ui::kMbOk);
}

void MacroRecordDlg::onExportGroup() {
    const int row = selectedGroupRow();
    const MacroGroup* group = row >= 0 ? m_store.groupAt(row) : nullptr;
    if (group == nullptr) {
        warn(QStringLiteral("Choose the macro group to export first."));
        return;
    }
    kg::ui::FileDialogRequest request;
    request.kind = kg::ui::FileDialogKind::Save;
    request.caption = QStringLiteral("Export macro group");
    request.filter = kGroupFileFilter;
    request.suggestedName = toQString(group->name) + QStringLiteral(".xml");
    const QString path = kg::ui::chooseFile(this, request);
    if (path.isEmpty()) {
        return;
    }
    if (!kg::exportMacroGroup(*group, path.toStdWString())) {
        warn(QStringLiteral("The macro group could not be written to the file."));
    }
}

void MacroRecordDlg::onImportGroups() {
    kg::ui::FileDialogRequest request;
    request.kind = kg::ui::FileDialogKind::Open;
    request.caption = QStringLiteral("Import macro groups");
    request.filter = kGroupFileFilter;
    const QString path = kg::ui::chooseFile(this, request);
    if (path.isEmpty()) {
        return;
    }
    if (kg::importMacroGroupFile(m_store, path.toStdWString()) < 0) {
        warn(QStringLiteral("The file is not a macro group file. Nothing was imported."));
        return;
    }
    m_groupAdapter.notifyDataSetChanged();
}
