#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace kg::ui {
class HostWnd;
class Window;
}  // namespace kg::ui

namespace kg {

// The quiet line in the title bar of the main window ("text_status", with the link
// "btn_status_link" beside it). It shows a lasting state (key capture is off, with the document
// that says what to do) and short notes that go away by themselves (the keyboard is back after
// a factory reset); a note stands in front of the lasting state while it lasts. Nothing here
// waits for the user: a box would hold up the keyboard's restart. Texts are sources and are
// shown translated; a detail from the system is shown as it is.
class StatusLine : public QObject {
public:
    explicit StatusLine(kg::ui::HostWnd& window);

    // Finds the two controls; without them nothing shows.
    void setUp();

    // The lasting state: `source` (translated), then `detail` as it is; `document` is the file
    // the link opens (none: no link). An empty source clears it.
    void setLasting(const QString& source, const QString& detail, const QString& document);
    // A note for `duration_ms`; then the lasting state (or nothing) shows again.
    void showNote(const QString& source, int duration_ms);
    // Builds the shown text again in the current language.
    void retranslate();
    // A click on the link: opens the document.
    void openDocument() const;

    // What shows (empty while the line is hidden), whether the link shows and what it opens.
    QString shownText() const;
    bool linkShown() const;
    QString document() const { return m_noteShown ? QString() : m_document; }
    bool noteShown() const { return m_noteShown; }

private:
    void show();

    kg::ui::HostWnd& m_window;
    kg::ui::Window* m_text = nullptr;
    kg::ui::Window* m_link = nullptr;
    QString m_lastingSource;
    QString m_lastingDetail;
    QString m_document;
    QString m_noteSource;
    bool m_noteShown = false;
    QTimer m_noteTimer;
};

}  // namespace kg
