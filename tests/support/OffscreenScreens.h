#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
// writes its configuration into `folder` and names it in QT_QPA_PLATFORM. Call it before the
// QApplication exists. False when the file cannot be written.
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
    const QString path = folder + QStringLiteral("/offscreen-screens.json");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    f.write(QJsonDocument(QJsonObject{{QStringLiteral("screens"), list}}).toJson());
    f.close();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + path.toLocal8Bit());
    return true;
}

}  // namespace kg::test
