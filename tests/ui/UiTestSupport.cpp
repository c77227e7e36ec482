#include "tests/ui/UiTestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QtGlobal>

#include "app/NamedIdTable.h"

namespace kg::ui::test {

namespace {
QMutex g_mutex;
QStringList g_messages;
QtMessageHandler g_previous = nullptr;
int g_catchers = 0;

void handler(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    {
        QMutexLocker lock(&g_mutex);
        g_messages.append(msg);
    }
    if (type == QtFatalMsg && g_previous) {
        g_previous(type, ctx, msg);
    }
}
}  // namespace

DiagnosticCatcher::DiagnosticCatcher() {
    if (g_catchers++ == 0) {
        g_previous = qInstallMessageHandler(handler);
    }
    clear();
}

DiagnosticCatcher::~DiagnosticCatcher() {
    if (--g_catchers == 0) {
        qInstallMessageHandler(g_previous);
    }
}

QStringList DiagnosticCatcher::messages() const {
    QMutexLocker lock(&g_mutex);
    return g_messages;
}

bool DiagnosticCatcher::contains(const QString& text) const {
    for (const QString& m : messages()) {
        if (m.contains(text)) {
            return true;
        }
    }
    return false;
}

void DiagnosticCatcher::clear() {
    QMutexLocker lock(&g_mutex);
    g_messages.clear();
}

TempResources::TempResources(const std::map<QString, QByteArray>& files) {
    m_ok = m_dir.isValid();
    for (const auto& [path, content] : files) {
        const QString full = m_dir.filePath(path);
        QDir().mkpath(QFileInfo(full).path());
        QFile f(full);
        m_ok = m_ok && f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
    }
}

QString shippedResources() {
    return QStringLiteral(KEYGLOW_SOURCE_DIR "/uires");
}

void registerProgramStandIns(ObjectFactory& f) {
    f.registerStandIn(QStringLiteral("shellnotifyicon"), QStringLiteral("window"));
    f.registerStandIn(QStringLiteral("cbimg"), QStringLiteral("window"));
    f.registerStandIn(QStringLiteral("page2"), QStringLiteral("page"));
    f.registerStandIn(QStringLiteral("tabctrl2"), QStringLiteral("tabctrl"));
    f.registerStandIn(QStringLiteral("anmimg"), QStringLiteral("window"));
    f.registerStandIn(QStringLiteral("editex"), QStringLiteral("edit"));
    f.registerStandIn(QStringLiteral("radioex"), QStringLiteral("radio"));
    f.registerStandIn(QStringLiteral("checkex"), QStringLiteral("check"));
}

std::unique_ptr<Toolkit> makeShippedToolkit() {
    auto tk = std::make_unique<Toolkit>();
    tk->resources().openFolder(shippedResources());
    tk->namedIds().registerTable(kNamedIds, kNamedIdCount, true);
    tk->loadUiDef(QStringLiteral("uidef:xml_init"));
    registerProgramStandIns(tk->factory());
    return tk;
}

}  // namespace kg::ui::test
