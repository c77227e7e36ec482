#include "tools/uiart/KeyboardArt.h"

#include "tools/uiart/KeyTable.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QXmlStreamWriter>

#include <functional>

namespace kg::uiart {
namespace {

constexpr double kCapRadius = 5.0;
const QColor kLegendDark = rgba(0x0B0E13, 215);

struct CaseStyle {
    QColor legend = kLegendDark;
    int legendDrop = 0;  // pressed caps print their legend a pixel lower
    int sideShade = 80;  // alpha of the darker cap sides
};

// The face of the cap: the part of the cap rectangle that stays fully clear.
QRectF capFace(const QRect& rect) {
    return QRectF(rect).adjusted(3, 2, -3, -5);
}

void drawLegends(QPainter& p, const Key& key, const CaseStyle& style) {
    const QRectF face = capFace(key.rect).translated(0, style.legendDrop);
    p.setPen(style.legend);
    const bool word =
        key.legend.size() > 1 && key.shifted.isEmpty() && !key.legend.startsWith(QLatin1Char('F'));
    if (!key.shifted.isEmpty()) {
        p.setFont(uiFont(10, true));
        p.drawText(QRectF(face.left() + 3, face.top() + 1, 20, 13), Qt::AlignLeft | Qt::AlignTop,
                   key.shifted);
        p.setFont(uiFont(11, true));
        p.drawText(QRectF(face.left() + 3, face.bottom() - 15, 20, 14),
                   Qt::AlignLeft | Qt::AlignTop, key.legend);
        return;
    }
    if (key.legend.isEmpty()) {
        return;
    }
    QFont font = uiFont(word ? 9 : 12, true);
    if (word && QFontMetricsF(font).horizontalAdvance(key.legend) > face.width() - 4) {
        font.setStretch(QFont::Condensed);
        font.setFamily(QStringLiteral("DejaVu Sans Condensed"));
    }
    p.setFont(font);
    p.drawText(QRectF(face.left() + 3, face.top() + 2, face.width() - 4, 16),
               Qt::AlignLeft | Qt::AlignTop, key.legend);
}

void drawCaseBody(QPainter& p) {
    const QRectF body(0.5, 0.5, kKeyboardSize.width() - 1, kKeyboardSize.height() - 1);
    QLinearGradient fill(0, 0, 0, kKeyboardSize.height());
    fill.setColorAt(0, QColor(0x23, 0x27, 0x31));
    fill.setColorAt(0.12, QColor(0x1B, 0x1F, 0x28));
    fill.setColorAt(1, QColor(0x12, 0x15, 0x1B));
    p.setPen(QPen(QColor(0x30, 0x37, 0x45), 1));
    p.setBrush(fill);
    p.drawPath(roundedPath(body, 16));

    // A thin light edge along the top, as on a machined top case.
    QLinearGradient edge(0, 0, kKeyboardSize.width(), 0);
    edge.setColorAt(0, rgba(0xFFFFFF, 0));
    edge.setColorAt(0.5, rgba(0xFFFFFF, 40));
    edge.setColorAt(1, rgba(0xFFFFFF, 0));
    p.setPen(QPen(QBrush(edge), 1));
    p.drawLine(QPointF(24, 1.5), QPointF(kKeyboardSize.width() - 24, 1.5));

    // The plate around the keys sits a little deeper than the frame.
    p.setPen(Qt::NoPen);
    p.setBrush(rgba(0x000000, 60));
    p.drawPath(roundedPath(QRectF(11, 32, kKeyboardSize.width() - 22, 286), 9));

    p.setFont(uiFont(10, true));
    QFont brand = p.font();
    brand.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(brand);
    p.setPen(QColor(0x5E, 0x66, 0x7A));
    p.drawText(QRectF(22, 10, 200, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("KEYGLOW"));

    // Lock indicators above the keypad; Num Lock is on.
    const char* labels[] = {"NUM", "CAPS", "SCROLL"};
    for (int i = 0; i < 3; ++i) {
        const QPointF centre(17 + (19 + i) * kKeyUnit + 8.0, 18);
        if (i == 0) {
            QRadialGradient halo(centre, 9);
            halo.setColorAt(0, rgba(palette::kAccent, 140));
            halo.setColorAt(1, rgba(palette::kAccent, 0));
            p.setBrush(halo);
            p.setPen(Qt::NoPen);
            p.drawEllipse(centre, 9, 9);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(i == 0 ? QColor::fromRgb(palette::kAccent) : QColor(0x2E, 0x34, 0x40));
        p.drawEllipse(centre, 2.6, 2.6);
        p.setFont(uiFont(8, true));
        p.setPen(QColor(0x4E, 0x56, 0x68));
        p.drawText(QRectF(centre.x() + 6, centre.y() - 6, 40, 12), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromLatin1(labels[i]));
    }
}

// The keyboard without key colours: opaque case, clear cap faces with translucent sides.
QImage drawCase(const CaseStyle& style) {
    QImage image = newImage(kKeyboardSize.width(), kKeyboardSize.height());
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawCaseBody(p);

    const auto& keys = keyboardKeys();
    p.setPen(Qt::NoPen);
    for (const Key& key : keys) {
        const QRectF cap(key.rect);
        p.setBrush(rgba(0x000000, 55));
        p.drawPath(roundedPath(cap.adjusted(-1.5, -0.5, 1.5, 3), kCapRadius + 1));
        p.setBrush(rgba(0x000000, 110));
        p.drawPath(roundedPath(cap.adjusted(-0.5, 0, 0.5, 1.5), kCapRadius + 0.5));
    }
    // Punch the caps: the skirt colour stays in the rounded corners only.
    for (const Key& key : keys) {
        const QRectF cap(key.rect);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.setBrush(QColor(0x0A, 0x0C, 0x10));
        p.drawRect(cap);
        p.setBrush(Qt::transparent);
        p.drawPath(roundedPath(cap, kCapRadius));
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);

        // Cap sides: darker round the face, darkest at the front edge.
        QPainterPath sides = roundedPath(cap, kCapRadius);
        sides = sides.subtracted(roundedPath(capFace(key.rect), kCapRadius - 1.5));
        QLinearGradient shade(cap.topLeft(), cap.bottomLeft());
        shade.setColorAt(0, rgba(0x000000, style.sideShade / 3));
        shade.setColorAt(1, rgba(0x000000, style.sideShade + 50));
        p.setBrush(shade);
        p.drawPath(sides);
        p.setPen(QPen(rgba(0xFFFFFF, 70), 1));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(cap.left() + kCapRadius, cap.top() + 0.5),
                   QPointF(cap.right() - kCapRadius, cap.top() + 0.5));
        p.setPen(Qt::NoPen);
        drawLegends(p, key, style);
        p.setPen(Qt::NoPen);
    }
    return image;
}

using FillFor = std::function<QColor(const Key&)>;
using Decorate = std::function<void(QPainter&, const Key&)>;

// Key fills, then the case over them: what the keyboard control shows for every key.
QImage compose(const FillFor& fill, const CaseStyle& style, const Decorate& decorate = {}) {
    QImage image = newImage(kKeyboardSize.width(), kKeyboardSize.height());
    QPainter p(&image);
    for (const Key& key : keyboardKeys()) {
        p.fillRect(key.rect, fill(key));
    }
    p.drawImage(0, 0, drawCase(style));
    if (decorate) {
        p.setRenderHint(QPainter::Antialiasing);
        for (const Key& key : keyboardKeys()) {
            decorate(p, key);
        }
    }
    return image;
}

}  // namespace

void addKeyboardPictures(Pictures& out) {
    addPicture(out, QStringLiteral("keyboard"), drawCase(CaseStyle{}));

    const QImage normal = compose([](const Key& key) { return key.colour; }, CaseStyle{});
    addPicture(out, QStringLiteral("img_keboard_normal"), normal);
    addPicture(out, QStringLiteral("img_keboard_demo"),
               normal.scaled(kKeyboardSize / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));

    CaseStyle lit;
    lit.sideShade = 50;
    addPicture(out, QStringLiteral("img_keboard_floating"),
               compose([](const Key& key) { return mix(key.colour, Qt::white, 0.45); }, lit,
                       [](QPainter& p, const Key& key) {
                           p.setPen(QPen(rgba(0xFFFFFF, 230), 1.6));
                           p.setBrush(Qt::NoBrush);
                           p.drawPath(roundedPath(QRectF(key.rect).adjusted(0.8, 0.8, -0.8, -0.8),
                                                  kCapRadius - 0.5));
                       }));

    CaseStyle pressed;
    pressed.legendDrop = 1;
    pressed.sideShade = 130;
    addPicture(out, QStringLiteral("img_keboard_pressed"),
               compose([](const Key& key) { return mix(key.colour, Qt::black, 0.28); }, pressed));

    CaseStyle checked;
    checked.legend = QColor(0x1A, 0x12, 0x04);
    addPicture(out, QStringLiteral("img_keboard_checked"),
               compose([](const Key&) { return QColor::fromRgb(palette::kChecked); }, checked,
                       [](QPainter& p, const Key& key) {
                           p.setPen(QPen(QColor(0xFF, 0xE0, 0xA8), 1.4));
                           p.setBrush(Qt::NoBrush);
                           p.drawPath(roundedPath(QRectF(key.rect).adjusted(0.7, 0.7, -0.7, -0.7),
                                                  kCapRadius - 0.5));
                           // The assignment mark in the lower right of the face, clear of the
                           // legends.
                           const QPointF dot(key.rect.right() - 8.0, key.rect.bottom() - 11.0);
                           p.setPen(Qt::NoPen);
                           p.setBrush(QColor(0x1A, 0x12, 0x04));
                           p.drawEllipse(dot, 3.2, 3.2);
                       }));
}

QByteArray keyLayoutXml() {
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(-1);
    writer.writeStartDocument(QStringLiteral("1.0"));
    writer.writeStartElement(QStringLiteral("positions"));
    for (const Key& key : keyboardKeys()) {
        writer.writeEmptyElement(QStringLiteral("key"));
        writer.writeAttribute(QStringLiteral("id"), QString::number(key.code));
        writer.writeAttribute(QStringLiteral("va"), QString::number(key.code & 0xFF));
        writer.writeAttribute(QStringLiteral("name"), key.name);
        writer.writeAttribute(QStringLiteral("color"), key.colour.name(QColor::HexRgb).toUpper());
        writer.writeAttribute(QStringLiteral("rect"), QStringLiteral("%1,%2,%3,%4")
                                                          .arg(key.rect.left())
                                                          .arg(key.rect.top())
                                                          .arg(key.rect.width())
                                                          .arg(key.rect.height()));
    }
    writer.writeEndElement();
    writer.writeEndDocument();
    return xml;
}

}  // namespace kg::uiart
