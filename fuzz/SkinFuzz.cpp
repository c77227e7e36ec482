// The skin table of the UI definition edited by hand or damaged: every skin it defines is in
// the pool afterwards and draws each of its states, parts of them and out-of-range states into
// rectangles large, small and empty without crashing. The images are a few small pictures of
// this process's own resource folder (main:strip4_png and others, see below).
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <pugixml.hpp>

#include "fuzz/FuzzCheck.h"
#include "fuzz/UiFuzz.h"
#include "ui/ResourceProvider.h"
#include "ui/Skin.h"
#include "ui/Toolkit.h"

namespace {

QString g_folder;

struct Picture {
    const char* name;
    int width;
    int height;
};
// One pixel, a strip of four states, a tall strip of three, a frame, an image larger than the
// rectangles drawn into.
constexpr Picture kPictures[] = {{"dot_png", 1, 1},
                                 {"strip4_png", 48, 12},
                                 {"tall3_png", 10, 30},
                                 {"frame_png", 24, 24},
                                 {"large_png", 300, 200}};

bool makeFolder() {
    static QTemporaryDir dir;
    if (!dir.isValid()) {
        return false;
    }
    QByteArray index = "<resource><main>";
    for (const Picture& p : kPictures) {
        QImage image(p.width, p.height, QImage::Format_ARGB32);
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) {
                image.setPixelColor(x, y, QColor(x * 7 % 256, y * 11 % 256, 128, 200));
            }
        }
        const QString file = QString::fromLatin1(p.name) + QStringLiteral(".png");
        if (!image.save(dir.filePath(file))) {
            return false;
        }
        index += "<file name=\"" + QByteArray(p.name) + "\" path=\"" + file.toUtf8() + "\"/>";
    }
    index += "</main></resource>";
    QSaveFile idx(dir.filePath(QStringLiteral("uires.idx")));
    if (!idx.open(QIODevice::WriteOnly) || idx.write(index) != index.size() || !idx.commit()) {
        return false;
    }
    g_folder = dir.path();
    return true;
}

bool knownKind(const char* tag) {
    return std::strcmp(tag, "imglist") == 0 || std::strcmp(tag, "imgframe") == 0 ||
           std::strcmp(tag, "colorrect") == 0;
}

void drawAll(const kg::ui::Skin& skin, QPainter& p) {
    const QRect rects[] = {QRect(0, 0, 64, 48), QRect(5, 5, 3, 2), QRect(10, 10, 0, 0),
                           QRect(-20, -10, 200, 100)};
    for (int state = -1; state <= skin.stateCount(); ++state) {
        for (const QRect& r : rects) {
            skin.draw(p, r, state);
            skin.drawPart(p, r, QRect(2, 1, 6, 4), state);
        }
    }
    skin.draw(p, rects[0], 0, 0.5);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kgfuzz::startUi();
    if (!makeFolder()) {
        __builtin_trap();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text = kgfuzz::bytesOf(data, size);
    kg::ui::Toolkit tk;
    tk.resources().openFolder(g_folder);
    const bool read = tk.loadSkinsBuffer(text, QStringLiteral("fuzz-skin.xml"));
    pugi::xml_document doc;
    KG_FUZZ_CHECK(read == kg::ui::ResourceProvider::parseXml(text, doc, QString()));
    if (!read) {
        return 0;
    }
    QImage picture(64, 48, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const pugi::xml_node root = doc.document_element();
    for (pugi::xml_node e = root.first_child(); e; e = e.next_sibling()) {
        const QString name = QString::fromUtf8(e.attribute("name").value());
        if (e.type() != pugi::node_element || !knownKind(e.name()) || name.isEmpty()) {
            continue;
        }
        // Every named skin of a known kind is in the pool (a later one of the same name
        // replaces it).
        const kg::ui::Skin* skin = tk.skin(name);
        KG_FUZZ_CHECK(skin != nullptr);
        KG_FUZZ_CHECK(skin->stateCount() >= 1);
        // One state of the picture, or no size without one.
        const QSize one = skin->size();
        if (skin->kind == kg::ui::Skin::Kind::ColorRect || skin->image.isNull()) {
            KG_FUZZ_CHECK(!one.isValid());
        } else {
            KG_FUZZ_CHECK(one.width() >= 0 && one.width() <= skin->image.width() &&
                          one.height() >= 0 && one.height() <= skin->image.height());
        }
        drawAll(*skin, painter);
    }
    painter.end();
    return 0;
}
