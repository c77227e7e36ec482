#pragma once

#include <QByteArray>
#include <QDir>
#include <QHashFunctions>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QString>
#include <initializer_list>

namespace kg::test {

// One screen of Qt's offscreen platform: its place and size in device pixels and its DPI (96
// is 100 %, 120 is 125 %, 144 is 150 %).
struct OffscreenScreen {
    const char* name;
    int x;
    int y;
    int width;
    int height;
    int logicalDpi;
};

// Makes the offscreen platform of this process show these screens (the first is the primary):
// writes its configuration into `folder` (see below for Windows) and names it in QT_QPA_PLATFORM.
// Call it before the QApplication exists. False when the file cannot be written.
inline bool useOffscreenScreens(const QString& folder,
                                std::initializer_list<OffscreenScreen> screens) {
    QJsonArray list;
    for (const OffscreenScreen& s : screens) {
        list.append(QJsonObject{{QStringLiteral("name"), QString::fromLatin1(s.name)},
                                {QStringLiteral("x"), s.x},
                                {QStringLiteral("y"), s.y},
                                {QStringLiteral("width"), s.width},
                                {QStringLiteral("height"), s.height},
                                {QStringLiteral("logicalDpi"), s.logicalDpi},
                                {QStringLiteral("logicalBaseDpi"), 96},
                                {QStringLiteral("dpr"), 1.0}});
    }
    const QByteArray json = QJsonDocument(QJsonObject{{QStringLiteral("screens"), list}}).toJson();
    QString path = folder + QStringLiteral("/offscreen-screens.json");
    // The platform's arguments are separated by ':', so a path with a drive letter (Windows)
    // cannot be given as it is: a path relative to the current folder can, and where the folder
    // lies on another drive (Wine's temporary folder is on C:, the build tree on Z:) the file goes
    // into the current folder, named by its content so that test programs running side by side
    // in one folder share identical files.
    if (path.size() > 1 && path[1] == QLatin1Char(':')) {
        const QString relative = QDir::current().relativeFilePath(path);
        path = relative.contains(QLatin1Char(':'))
                   ? QStringLiteral("offscreen-screens-%1.json").arg(qHash(json), 0, 16)
                   : relative;
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(json) != json.size() || !f.commit()) {
        return false;
    }
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + path.toLocal8Bit());
    return true;
}

}  // namespace kg::test
