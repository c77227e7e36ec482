#include "mainwnd/CaptureStatus.h"

#include <QDir>
#include <QFileInfo>

#include "mainwnd/StatusLine.h"
#include "platform/KeyInput.h"

namespace kg {

namespace {

// The backends point at the document by its place in the sources; the link beside the line
// opens the installed one.
QString withoutDocumentHint(QString reason) {
    const qsizetype hint = reason.indexOf(QLatin1String("; see docs/"));
    if (hint >= 0) {
        reason.truncate(hint);
    }
    return reason;
}

}  // namespace

CaptureStatus::CaptureStatus(platform::KeyInput& input, StatusLine& line,
                             const QString& programFolder)
    : m_input(input), m_line(line), m_document(findDocument(programFolder)) {
    connect(&m_timer, &QTimer::timeout, this, [this] { refresh(); });
}

void CaptureStatus::start() {
    refresh();
    m_timer.start(kCheckInterval_ms);
}

void CaptureStatus::refresh() {
    const QString reason = offReason();
    if (reason.isEmpty()) {
        m_line.setLasting(QString(), QString(), QString());
        return;
    }
    m_line.setLasting(QStringLiteral("Key assignments and macros are off"), reason, m_document);
}

QString CaptureStatus::offReason() const {
    return withoutDocumentHint(QString::fromStdString(m_input.captureOffReason()));
}

QString CaptureStatus::findDocument(const QString& programFolder) {
    static const QString kName = QStringLiteral("linux-input.md");
    const QDir program(programFolder);
    const QString candidates[] = {
        // <prefix>/lib/keyglow -> <prefix>/share/doc/keyglow
        program.absoluteFilePath(QStringLiteral("../../share/doc/keyglow/") + kName),
        QStringLiteral("/usr/share/doc/keyglow/") + kName,
        // <source>/build/bin -> <source>/docs
        program.absoluteFilePath(QStringLiteral("../../docs/") + kName),
    };
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile()) {
            return QDir::cleanPath(path);
        }
    }
    return QString();
}

}  // namespace kg
