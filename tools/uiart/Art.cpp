#include "tools/uiart/Art.h"

#include <algorithm>

namespace kg::uiart {

QImage newImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage strip(int cellWidth, int cellHeight, int states, const CellPainter& draw) {
    QImage image = newImage(cellWidth * states, cellHeight);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int state = 0; state < states; ++state) {
        painter.save();
        const QRectF cell(cellWidth * state, 0, cellWidth, cellHeight);
        painter.setClipRect(cell);
        draw(painter, cell, state);
        painter.restore();
    }
    return image;
}

QColor rgba(QRgb rgb, int alpha) {
    QColor colour = QColor::fromRgb(rgb);
    colour.setAlpha(alpha);
    return colour;
}

QColor mix(const QColor& from, const QColor& to, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto channel = [t](int a, int b) { return static_cast<int>(a + (b - a) * t + 0.5); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()), channel(from.alpha(), to.alpha()));
}

QPainterPath roundedPath(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QFont uiFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void addPicture(Pictures& out, const QString& name, QImage image) {
    out.push_back({QStringLiteral("image/") + name + QStringLiteral(".png"), std::move(image)});
}

}  // namespace kg::uiart
