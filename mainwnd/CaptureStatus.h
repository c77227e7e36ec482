#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace platform {
class KeyInput;
}

namespace kg {

class StatusLine;

// Says on the status line when key capture is off (no permission, no virtual keyboard, a hook
// the system refused, the emergency release), why, and where the document that says what to
// do is; nothing while capture works. Capture can stop while the program runs (the reader
// thread gives up), so the state is looked at again every second.
class CaptureStatus : public QObject {
public:
    static constexpr int kCheckInterval_ms = 1000;

    // The key input the program's hook was installed on; the document is looked for from
    // the program folder.
    CaptureStatus(platform::KeyInput& input, StatusLine& line, const QString& programFolder);

    // Shows the state now and then follows it.
    void start();
    // Shows the state now.
    void refresh();

    // Why capture is off, in words for the user; empty while it works (or was never asked
    // to start).
    QString offReason() const;

    // The installed copy of the document on key capture (linux-input.md): beside the package's
    // other documents, found from the program folder (an install tree unpacked anywhere) or in
    // /usr/share/doc/keyglow, or the source tree's docs/ for a build tree. Empty when there is
    // none.
    static QString findDocument(const QString& programFolder);

private:
    platform::KeyInput& m_input;
    StatusLine& m_line;
    QString m_document;
    QTimer m_timer;
};

}  // namespace kg
