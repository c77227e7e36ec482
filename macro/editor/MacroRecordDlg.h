#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "macro/KeyboardHook.h"
#include "macro/MacroRecorder.h"
#include "macro/editor/IOnMacroGroupClickedListener.h"
#include "macro/editor/KeyAndDelayAdapter.h"
#include "macro/editor/MacroGroupAdapter.h"
#include "ui/DialogHost.h"

class AppConfig;
class CoordButtonImage;
class MacroStore;
namespace kg::ui {
class CheckBox;
class ComboBox;
class Edit;
class ListView;
class McListView;
class TabCtrl;
class Window;
}  // namespace kg::ui

// The macro editor: the modal dialog in which the user decides what a clicked key of the
// keyboard image shall do (a recorded macro, another key, a media key or program, a key
// combination). Every choice goes straight into the MacroStore; the main window turns it into
// the key's record when the dialog ends with OK. The window only finds its controls and
// forwards: the recording is MacroRecorder's, the field rules are in macro/EditorFields.h.
class MacroRecordDlg final : public kg::ui::DialogHost,
                             public IKeyboardHookListener,
                             public IOnMacroGroupClickedListener {
    Q_OBJECT
public:
    static constexpr const char* kToolkitClassName = "macro::Grouplg";
    // The results of the modal run: IDOK, IDCANCEL, and the id of "btnDelete".
    static constexpr int kResultOk = kg::ui::kIdOk;
    static constexpr int kResultCancel = kg::ui::kIdCancel;
    static constexpr int kResultDelete = 65597;

    // Nothing is owned. The configuration gives the media/program and combination lists; the
    // image is used only to name key codes (may be null).
    MacroRecordDlg(MacroStore& store, const AppConfig& config, CoordButtonImage* keyboardImage,
                   std::map<std::uint8_t, std::wstring>& clickedKeys);
    // The same with the recorder's clock given (tests).
    MacroRecordDlg(MacroStore& store, const AppConfig& config, CoordButtonImage* keyboardImage,
                   std::map<std::uint8_t, std::wstring>& clickedKeys,
                   const kg::MonotonicClock& clock, std::uint64_t clockStart_ms);
    ~MacroRecordDlg() override;

    // The recorder, while the main window forwards key events (recording, or the single-key
    // page).
    std::int32_t onHookEvent(int* code, std::uintptr_t* message,
                             platform::KeyEvent** eventRecord) noexcept override;

    void onMacroGroupClicked(int position, const std::wstring& name) override;

    const MacroRecorder& recorder() const { return m_recorder; }
    const KeyAndDelayAdapter& stepAdapter() const { return m_stepAdapter; }
    // Whether every key belongs to the recorder now (record box ticked, or the single-key
    // page shown), so the dialog's own keyboard use is off.
    bool capturingKeys() const;

protected:
    void onInitDialog() override;
    bool onEvent(kg::ui::Event& e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    kg::ui::Window* controlById(const char* name, const char* cls) const;
    int currentPage() const;
    int selectedGroupRow() const;
    void showSteps(int position);
    void refreshSteps();

    void onRecordSwitch();
    void onOk();
    void onAddGroup();
    void onDeleteGroup();
    void onStepCommand(const QString& name);
    void onDelayMode(int mode);
    void onExportGroup();
    void onImportGroups();
    void warn(const QString& text);

    MacroStore& m_store;
    const AppConfig& m_config;
    CoordButtonImage* m_keyboardImage;
    std::map<std::uint8_t, std::wstring>& m_clickedKeys;
    MacroGroupAdapter m_groupAdapter;
    KeyAndDelayAdapter m_stepAdapter;
    MacroRecorder m_recorder;

    kg::ui::TabCtrl* m_tabs = nullptr;
    kg::ui::ListView* m_groupList = nullptr;
    kg::ui::McListView* m_stepList = nullptr;
    kg::ui::Window* m_recordingKeys = nullptr;
    kg::ui::CheckBox* m_record = nullptr;
    // Real time, fixed delay, no delay; a control missing from the layout is left out.
    std::vector<kg::ui::Window*> m_delayModes;
    kg::ui::Edit* m_delayTime = nullptr;
    kg::ui::Edit* m_repeatTimes = nullptr;
    kg::ui::Window* m_clickToStop = nullptr;
    kg::ui::Window* m_singleRecord = nullptr;
    kg::ui::Window* m_singleKey = nullptr;
    kg::ui::ComboBox* m_mediaKeys = nullptr;
    kg::ui::ComboBox* m_functionKeys = nullptr;
};
