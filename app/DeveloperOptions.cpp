#include "app/DeveloperOptions.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "mainwnd/CMainDlg.h"
#include "ui/Toolkit.h"

namespace kg {

namespace {

// Saves a picture of the window once it has painted for the first time (a hidden window
// never paints; it is grabbed after a while all the same), then closes it.
class ScreenshotTaker : public QObject {
public:
    ScreenshotTaker(CMainDlg& window, QString path)
        : QObject(&window), m_window(window), m_path(std::move(path)) {
        m_window.installEventFilter(this);
        QTimer::singleShot(2000, this, [this] { take(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::Paint && !m_scheduled) {
            m_scheduled = true;
            // Let the paint finish and the controls settle before the grab.
            QTimer::singleShot(100, this, [this] { take(); });
        }
        return false;
    }

private:
    void take() {
        if (m_taken) {
            return;
        }
        m_taken = true;
        const QPixmap picture = m_window.grab();
        // Scripts read these lines from standard output.
        if (picture.save(m_path, "PNG")) {
            std::printf("keyglow: screenshot saved to %s\n", qPrintable(m_path));
        } else {
            std::fprintf(stderr, "keyglow: could not save the screenshot to %s\n",
                         qPrintable(m_path));
        }
        std::fflush(stdout);
        m_window.postMessage(kg::ui::kMsgClose);
    }

    CMainDlg& m_window;
    QString m_path;
    bool m_scheduled = false;
    bool m_taken = false;
};

class StartupTimer : public QObject {
public:
    explicit StartupTimer(CMainDlg& window) : m_window(window) {
        m_clock.start();
        m_window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::Paint && !m_reported) {
            m_reported = true;
            std::printf("keyglow: first paint of the window, %lld ms after its creation\n",
                        static_cast<long long>(m_clock.elapsed()));
            std::fflush(stdout);
        }
        return false;
    }

private:
    CMainDlg& m_window;
    QElapsedTimer m_clock;
    bool m_reported = false;
};

}  // namespace

void applyDeveloperOptions(CMainDlg& window, const ProgramOptions& options) {
    kg::ui::Toolkit* tk = kg::ui::Toolkit::instance();
    for (const QString& command : options.commands) {
        window.postNamedCommand(command, tk ? std::max(0, tk->namedIds().idOf(command)) : 0);
    }
    if (!options.screenshotPath.isEmpty()) {
        new ScreenshotTaker(window, options.screenshotPath);
    }
    if (options.quitAfter_ms >= 0) {
        QTimer::singleShot(options.quitAfter_ms, &window,
                           [&window] { window.postMessage(kg::ui::kMsgClose); });
    }
}

std::unique_ptr<QObject> startupTimerFor(CMainDlg& window) {
    if (std::getenv("KEYGLOW_STARTUP_TIMING") == nullptr) {
        return nullptr;
    }
    return std::make_unique<StartupTimer>(window);
}

}  // namespace kg
