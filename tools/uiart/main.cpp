// uiart <out-dir>: draws the resource images into <out-dir>/image and writes the key
// layout of the keyboard picture to <out-dir>/keyboard.xml.
// uiart --hicolor <out-dir>: draws the program icon for the desktop's icon theme into
// <out-dir>/<N>x<N>/apps/keyglow.png, one file per size the theme looks up.
// uiart --sysres <dir>: draws the toolkit's own pictures (its system resources) into <dir>.

#include "tools/uiart/Art.h"
#include "tools/uiart/KeyboardArt.h"
#include "tools/uiart/WidgetArt.h"
#include "tools/uiart/WindowArt.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>

namespace {

bool writeFile(const QString& path, const QByteArray& data) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        return false;
    }
    return file.commit();
}

QByteArray pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// An .ico with one PNG-compressed entry per size, which every Windows since Vista reads.
QByteArray icoBytes(const QList<int>& sizes) {
    QList<QByteArray> entries;
    for (int size : sizes) {
        entries.append(pngBytes(kg::uiart::logoImage(size)));
    }
    QByteArray ico;
    auto put16 = [&ico](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        ico.append(b, 2);
    };
    auto put32 = [&ico](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        ico.append(b, 4);
    };
    put16(0);
    put16(1);
    put16(static_cast<quint16>(sizes.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(sizes.size());
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const int size = sizes[i];
        ico.append(static_cast<char>(size >= 256 ? 0 : size));
        ico.append(static_cast<char>(size >= 256 ? 0 : size));
        ico.append('\0');  // no palette
        ico.append('\0');
        put16(1);   // colour planes
        put16(32);  // bits per pixel
        put32(static_cast<quint32>(entries[i].size()));
        put32(offset);
        offset += static_cast<quint32>(entries[i].size());
    }
    for (const QByteArray& entry : entries) {
        ico.append(entry);
    }
    return ico;
}

// The hicolor theme's usual fixed sizes; a desktop scales the nearest one for anything else.
int writeThemeIcons(const QDir& out) {
    int failures = 0;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = out.filePath(folder + QStringLiteral("/keyglow.png"));
        if (!out.mkpath(folder) || !writeFile(file, pngBytes(kg::uiart::logoImage(size)))) {
            std::fprintf(stderr, "uiart: cannot write %s\n", qPrintable(file));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Build machines often have no session runtime folder; give Qt a private one so the
    // build log stays quiet.
    QTemporaryDir runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
        QFile::setPermissions(runtimeDir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                     QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    }
    QGuiApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--hicolor") {
        return writeThemeIcons(QDir(QString::fromLocal8Bit(argv[2])));
    }
    if (argc == 3 && qstrcmp(argv[1], "--sysres") == 0) {
        const QDir sysres(QString::fromLocal8Bit(argv[2]));
        const QString file = sysres.filePath(QStringLiteral("arrow_down.png"));
        if (!sysres.mkpath(QStringLiteral(".")) ||
            !writeFile(file, pngBytes(kg::uiart::toolkitComboArrow()))) {
            std::fprintf(stderr, "uiart: cannot write %s\n", qPrintable(file));
            return 1;
        }
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr,
                     "usage: uiart <out-dir> | uiart --hicolor <out-dir> | uiart --sysres <dir>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("image"))) {
        std::fprintf(stderr, "uiart: cannot create %s/image\n", argv[1]);
        return 1;
    }

    kg::uiart::Pictures pictures;
    kg::uiart::addWindowPictures(pictures);
    kg::uiart::addWidgetPictures(pictures);
    kg::uiart::addKeyboardPictures(pictures);

    int failures = 0;
    auto write = [&](const QString& file, const QByteArray& data) {
        if (data.isEmpty() || !writeFile(out.filePath(file), data)) {
            std::fprintf(stderr, "uiart: cannot write %s\n", qPrintable(out.filePath(file)));
            ++failures;
        }
    };
    for (const auto& picture : pictures) {
        write(picture.file, pngBytes(picture.image));
    }
    write(QStringLiteral("image/icon_logo.ico"), icoBytes({16, 24, 32, 48, 64, 256}));
    write(QStringLiteral("keyboard.xml"), kg::uiart::keyLayoutXml());
    return failures == 0 ? 0 : 1;
}
