#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <pugixml.hpp>

#include "platform/ProgramFolder.h"

namespace kgtest {

// The program's resource folder as the build leaves it (bin/uires), staged for a process
// whose program folder is not bin/: `dir` receives a uires.idx whose entries point into
// bin/uires and a copy of the main window's layout whose keyboard image names the key layout
// through a path relative to this process's program folder. An entry that no relative path
// reaches (on Windows: `dir` on another drive than the build tree) is copied into `dir`. False
// when the build has not produced the folder.
inline bool stageProgramResources(const QString& dir, QString* why) {
    // With its drive: on Windows the build tree's path names none.
    const QString uires = QFileInfo(QStringLiteral(KEYGLOW_BIN_DIR "/uires")).absoluteFilePath();
    pugi::xml_document index;
    if (!index.load_file((uires + QStringLiteral("/uires.idx")).toUtf8().constData()) ||
        !QFile::exists(uires + QStringLiteral("/image/keyboard.png"))) {
        *why = QStringLiteral("the build has not produced %1 with its pictures").arg(uires);
        return false;
    }
    const QDir staged(dir);
    QString mainLayout;
    for (pugi::xml_node type : index.child("resource").children()) {
        for (pugi::xml_node file : type.children("file")) {
            const QString target =
                uires + QLatin1Char('/') + QString::fromUtf8(file.attribute("path").value());
            if (QString::fromUtf8(type.name())
                        .compare(QLatin1String("LAYOUT"), Qt::CaseInsensitive) == 0 &&
                QString::fromUtf8(file.attribute("name").value()) == QLatin1String("XML_MAINWND")) {
                mainLayout = target;
                file.attribute("path").set_value("main.xml");
                continue;
            }
            QString path = staged.relativeFilePath(target);
            if (QDir::isAbsolutePath(path)) {
                path = QDir(uires).relativeFilePath(target);
                const QString copy = staged.filePath(path);
                QFile::remove(copy);
                if (!QDir().mkpath(QFileInfo(copy).absolutePath()) || !QFile::copy(target, copy)) {
                    *why = QStringLiteral("%1 cannot be copied to %2").arg(target, copy);
                    return false;
                }
            }
            file.attribute("path").set_value(path.toUtf8().constData());
        }
    }
    pugi::xml_document layout;
    if (mainLayout.isEmpty() || !layout.load_file(mainLayout.toUtf8().constData())) {
        *why = QStringLiteral("no main window layout in %1").arg(uires);
        return false;
    }
    const QDir program(QString::fromStdWString(platform::programFolder()));
    const QString toBin = program.relativeFilePath(QFileInfo(uires).absolutePath());
    for (pugi::xpath_node n : layout.select_nodes("//*[@crdxml]")) {
        const QString crd = QString::fromUtf8(n.node().attribute("crdxml").value());
        n.node().attribute("crdxml").set_value(
            (toBin + QLatin1Char('\\') + crd).toUtf8().constData());
    }
    return index.save_file(staged.filePath(QStringLiteral("uires.idx")).toUtf8().constData()) &&
           layout.save_file(staged.filePath(QStringLiteral("main.xml")).toUtf8().constData());
}

}  // namespace kgtest
