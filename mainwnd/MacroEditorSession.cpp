#include "mainwnd/MacroEditorSession.h"

#include "macro/editor/MacroRecordDlg.h"

namespace kg {

namespace {

class MacroEditorSession final : public IAssignmentEditor {
public:
    MacroEditorSession(MacroStore& macros, const AppConfig& config, CoordButtonImage* image,
                       std::map<std::uint8_t, std::wstring>& clickedKeys)
        : m_dialog(macros, config, image, clickedKeys) {}

    IKeyboardHookListener* hookListener() override { return &m_dialog; }
    int runModal(QWidget* owner) override { return m_dialog.doModal(owner); }

private:
    MacroRecordDlg m_dialog;
};

}  // namespace

AssignmentEditorFactory macroEditorFactory(const AppConfig& config) {
    return [&config](MacroStore& macros, CoordButtonImage* image,
                     std::map<std::uint8_t, std::wstring>& clickedKeys) {
        return std::make_unique<MacroEditorSession>(macros, config, image, clickedKeys);
    };
}

}  // namespace kg
