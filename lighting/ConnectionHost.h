#pragma once

#include <string>

namespace kg {

// What the device connection needs of the main window. The window implements it; tests answer
// it themselves. Every call comes on the UI thread.
class IConnectionHost {
public:
    virtual ~IConnectionHost() = default;

    // A modal message box with an OK button and no owner window.
    virtual void showMessage(const std::wstring& text, const std::wstring& caption) = 0;

    // The text of the firmware version label ("version", id 65557).
    virtual void setVersionText(const std::wstring& text) = 0;

    // The toolkit translator with an empty context.
    virtual std::wstring translate(const std::wstring& text) = 0;

    // Destroys the main window, which ends the program.
    virtual void closeWindow() = 0;

    // Shows the stores in the effect panel and then the side-light panel, selecting the
    // combo-box items (which sends the stored effects when a selection changes).
    virtual void showStoresInPanels() = 0;

    // Marks the keys that carry an assignment on the keyboard image.
    virtual void refreshKeyMarks() = 0;
};

}  // namespace kg
