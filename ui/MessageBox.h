#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace kg::ui {

class DialogHost;

enum MessageBoxType : unsigned {
    kMbOk = 0,
    kMbOkCancel = 1,
    // The second button (Cancel) is the default: it has the focus and takes Enter.
    kMbDefButton2 = 0x100,
};

struct MessageBoxRequest {
    QString text;     // as given (the box shows its translation)
    QString caption;  // as given
    unsigned type = kMbOk;
    DialogHost* dialog = nullptr;  // the box built from its template, initialised; may be null
};

// The modal message box from the template "LAYOUT:SYS_XML_MSGBOX" (msgtitle, msgtext,
// button1st OK, button2nd Cancel). Returns kIdOk (1) or kIdCancel (2). Without the template
// it falls back to a plain Qt message box. The default button (OK, or Cancel with
// kMbDefButton2) has the focus; Enter chooses the focused button, Escape answers Cancel (OK
// when OK is the only button), Tab moves between the buttons.
int messageBox(QWidget* owner, const QString& text, const QString& caption, unsigned type = kMbOk);

// Test seam: while set, the box is built and initialised, then the answerer gives the answer
// instead of a modal loop.
void setMessageBoxAnswerer(std::function<int(const MessageBoxRequest&)> answerer);

}  // namespace kg::ui
