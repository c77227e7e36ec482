#include "tests/support/ProgramFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <filesystem>
#include <system_error>

namespace kg::test {

namespace {

// `target` as the folder `link`: a symbolic link where the system makes one for us, otherwise
// a copy. On Windows a QFile::link is a shell shortcut (a file), which no program opens as a
// folder.
bool linkOrCopyFolder(const QString& target, const QString& link) {
    namespace fs = std::filesystem;
    const fs::path from(target.toStdWString());
    const fs::path to(link.toStdWString());
    std::error_code ec;
    fs::create_directory_symlink(from, to, ec);
    if (!ec && fs::exists(to / "uires.idx", ec)) {
        return true;
    }
    fs::remove(to, ec);
    ec.clear();
    fs::copy(from, to, fs::copy_options::recursive, ec);
    return !ec && fs::exists(to / "uires.idx", ec);
}

}  // namespace

QString ProgramFolder::builtResources() {
    return QStringLiteral(KEYGLOW_BIN_DIR "/uires");
}

ProgramFolder::ProgramFolder(const QString& language) {
    m_ok = m_dir.isValid() &&
           linkOrCopyFolder(builtResources(), m_dir.filePath(QStringLiteral("uires")));
    if (!m_ok || language.isEmpty()) {
        return;
    }
    QFile shipped(QStringLiteral(KEYGLOW_BIN_DIR "/config.xml"));
    if (!shipped.open(QIODevice::ReadOnly)) {
        m_ok = false;
        return;
    }
    QString text = QString::fromUtf8(shipped.readAll());
    text.replace(QRegularExpression(QStringLiteral("language=\"[^\"]*\"")),
                 QStringLiteral("language=\"%1\"").arg(language));
    QFile config(m_dir.filePath(QStringLiteral("config.xml")));
    m_ok = config.open(QIODevice::WriteOnly) && config.write(text.toUtf8()) > 0;
}

bool waitUntil(const std::function<bool()>& done, int timeout_ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout_ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

}  // namespace kg::test
