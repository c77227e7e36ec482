#include "mainwnd/StatusLine.h"

#include <QDesktopServices>
#include <QUrl>

#include "ui/HostWnd.h"
#include "ui/Toolkit.h"
#include "ui/Window.h"

namespace kg {

namespace {

QString translated(const QString& source) {
    kg::ui::Toolkit* tk = kg::ui::Toolkit::instance();
    return tk ? tk->tr(source) : source;
}

}  // namespace

StatusLine::StatusLine(kg::ui::HostWnd& window) : m_window(window) {
    m_noteTimer.setSingleShot(true);
    connect(&m_noteTimer, &QTimer::timeout, this, [this] {
        m_noteShown = false;
        show();
    });
}

void StatusLine::setUp() {
    m_text = m_window.findChildByName(QStringLiteral("text_status"));
    m_link = m_window.findChildByName(QStringLiteral("btn_status_link"));
    show();
}

void StatusLine::setLasting(const QString& source, const QString& detail, const QString& document) {
    if (source == m_lastingSource && detail == m_lastingDetail && document == m_document) {
        return;
    }
    m_lastingSource = source;
    m_lastingDetail = source.isEmpty() ? QString() : detail;
    m_document = source.isEmpty() ? QString() : document;
    show();
}

void StatusLine::showNote(const QString& source, int duration_ms) {
    m_noteSource = source;
    m_noteShown = !source.isEmpty();
    if (m_noteShown) {
        m_noteTimer.start(duration_ms);
    } else {
        m_noteTimer.stop();
    }
    show();
}

void StatusLine::retranslate() {
    show();
}

void StatusLine::openDocument() const {
    if (!m_document.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(m_document));
    }
}

QString StatusLine::shownText() const {
    if (m_noteShown) {
        return translated(m_noteSource);
    }
    if (m_lastingSource.isEmpty()) {
        return QString();
    }
    QString text = translated(m_lastingSource);
    if (!m_lastingDetail.isEmpty()) {
        text += translated(QStringLiteral(": ")) + m_lastingDetail;
    }
    return text;
}

bool StatusLine::linkShown() const {
    return !m_noteShown && !m_lastingSource.isEmpty() && !m_document.isEmpty();
}

void StatusLine::show() {
    const QString text = shownText();
    if (m_text) {
        // The shown text is already translated; as a source it has no translation of its own.
        m_text->setText(text);
        // A long reason may not fit in the title bar; the tip has all of it.
        m_text->setToolTip(text);
        m_text->setVisible(!text.isEmpty());
    }
    if (m_link) {
        m_link->setToolTip(m_document);
        m_link->setVisible(linkShown());
    }
}

}  // namespace kg
