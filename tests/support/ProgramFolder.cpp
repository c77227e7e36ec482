#include "tests/support/ProgramFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

namespace kg::test {

QString ProgramFolder::builtResources() {
    return QStringLiteral(KEYGLOW_BIN_DIR "/uires");
}

ProgramFolder::ProgramFolder(const QString& language) {
    m_ok =
        m_dir.isValid() && QFile::link(builtResources(), m_dir.filePath(QStringLiteral("uires")));
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
