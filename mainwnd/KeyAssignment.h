#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "settings/RecordStore.h"

class AppConfig;
class CoordButtonImage;
class IKeyboardHookListener;
class MacroStore;
class QWidget;

namespace kg {

// What the assignment editor answers when it closes.
inline constexpr int kEditorOk = 1;
inline constexpr int kEditorCancel = 2;
inline constexpr int kEditorDelete = 65597;  // the id of its "btnDelete" button

// The editor the main window opens for a clicked key. It keeps the user's choice in the
// MacroStore's settings; while it is open, the hook listener may hand it key events.
class IAssignmentEditor {
public:
    virtual ~IAssignmentEditor() = default;
    virtual IKeyboardHookListener* hookListener() = 0;
    virtual int runModal(QWidget* owner) = 0;
};

using AssignmentEditorFactory = std::function<std::unique_ptr<IAssignmentEditor>(
    MacroStore& macros, CoordButtonImage* image,
    std::map<std::uint8_t, std::wstring>& clickedKeys)>;

// The record the editor's last choice describes for the key `id` named `name`; nothing when
// the choice points at no group, key or entry (a combination without parts included).
std::optional<KeyRecord> buildKeyRecord(int id, const std::wstring& name, const MacroStore& macros,
                                        const AppConfig& config, const CoordButtonImage* image);

// The tooltip of a key with a record: its name, then " : " and the translated group text.
std::wstring keyRecordTip(const KeyRecord& record,
                          const std::function<std::wstring(const std::wstring&)>& translate);

}  // namespace kg
