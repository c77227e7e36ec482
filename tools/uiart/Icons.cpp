#include "tools/uiart/Icons.h"

#include "tools/uiart/Art.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <initializer_list>

namespace kg::uiart {
namespace {

// Maps the 24-unit icon grid into the box, keeping the aspect ratio and the centre.
class Grid {
public:
    explicit Grid(const QRectF& box) {
        const double side = std::min(box.width(), box.height());
        m_scale = side / 24.0;
        m_origin = QPointF(box.center().x() - side / 2, box.center().y() - side / 2);
    }
    QPointF p(double x, double y) const { return m_origin + QPointF(x * m_scale, y * m_scale); }
    QRectF r(double x, double y, double w, double h) const {
        return QRectF(p(x, y), QSizeF(w * m_scale, h * m_scale));
    }
    double s(double v) const { return v * m_scale; }
    // An open line through grid points, in order.
    QPainterPath polyline(std::initializer_list<QPointF> points) const {
        QPainterPath path;
        bool first = true;
        for (const QPointF& pt : points) {
            if (first) {
                path.moveTo(p(pt.x(), pt.y()));
                first = false;
            } else {
                path.lineTo(p(pt.x(), pt.y()));
            }
        }
        return path;
    }

private:
    double m_scale = 1;
    QPointF m_origin;
};

QPen linePen(const QColor& colour, double width) {
    QPen pen(colour, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

}  // namespace

void drawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour) {
    const Grid g(box);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(linePen(colour, std::max(1.5, g.s(2.0))));
    painter.setBrush(Qt::NoBrush);
    switch (glyph) {
        case Glyph::Dots:
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            for (double x : {6.0, 12.0, 18.0}) {
                painter.drawEllipse(g.p(x, 12), g.s(1.9), g.s(1.9));
            }
            break;
        case Glyph::Minimize:
            painter.drawLine(g.p(7, 12.5), g.p(17, 12.5));
            break;
        case Glyph::Close:
            painter.drawLine(g.p(7.5, 7.5), g.p(16.5, 16.5));
            painter.drawLine(g.p(16.5, 7.5), g.p(7.5, 16.5));
            break;
        case Glyph::Plus:
            painter.drawLine(g.p(12, 6), g.p(12, 18));
            painter.drawLine(g.p(6, 12), g.p(18, 12));
            break;
        case Glyph::Minus:
            painter.drawLine(g.p(6, 12), g.p(18, 12));
            break;
        case Glyph::Import:
            painter.drawLine(g.p(12, 4), g.p(12, 14));
            painter.drawPath(g.polyline({{8, 10.5}, {12, 14.5}, {16, 10.5}}));
            painter.drawPath(g.polyline({{5, 14}, {5, 19}, {19, 19}, {19, 14}}));
            break;
        case Glyph::Export:
            painter.drawLine(g.p(12, 4.5), g.p(12, 14));
            painter.drawPath(g.polyline({{8, 8.5}, {12, 4.5}, {16, 8.5}}));
            painter.drawPath(g.polyline({{5, 14}, {5, 19}, {19, 19}, {19, 14}}));
            break;
        case Glyph::ChevronUp:
            painter.drawPath(g.polyline({{6.5, 14.5}, {12, 9}, {17.5, 14.5}}));
            break;
        case Glyph::ChevronDown:
            painter.drawPath(g.polyline({{6.5, 9.5}, {12, 15}, {17.5, 9.5}}));
            break;
        case Glyph::Trash: {
            painter.drawLine(g.p(5, 7), g.p(19, 7));
            painter.drawLine(g.p(10, 7), g.p(10.5, 4.5));
            painter.drawLine(g.p(10.5, 4.5), g.p(13.5, 4.5));
            painter.drawLine(g.p(13.5, 4.5), g.p(14, 7));
            QPainterPath can;
            can.moveTo(g.p(7, 7));
            can.lineTo(g.p(8, 19.5));
            can.lineTo(g.p(16, 19.5));
            can.lineTo(g.p(17, 7));
            painter.drawPath(can);
            painter.drawLine(g.p(10.5, 10.5), g.p(10.5, 16.5));
            painter.drawLine(g.p(13.5, 10.5), g.p(13.5, 16.5));
            break;
        }
        case Glyph::Bulb: {
            QRadialGradient halo(g.p(12, 10), g.s(11));
            halo.setColorAt(0, rgba(colour.rgb(), 90));
            halo.setColorAt(1, rgba(colour.rgb(), 0));
            painter.save();
            painter.setPen(Qt::NoPen);
            painter.setBrush(halo);
            painter.drawEllipse(g.p(12, 10), g.s(11), g.s(11));
            painter.restore();
            QPainterPath bulb;
            bulb.moveTo(g.p(9, 15.5));
            bulb.cubicTo(g.p(5, 12.5), g.p(5.5, 3.5), g.p(12, 3.5));
            bulb.cubicTo(g.p(18.5, 3.5), g.p(19, 12.5), g.p(15, 15.5));
            bulb.closeSubpath();
            painter.drawPath(bulb);
            painter.drawLine(g.p(9.5, 18.5), g.p(14.5, 18.5));
            painter.drawLine(g.p(10.5, 21), g.p(13.5, 21));
            break;
        }
    }
    painter.restore();
}

void drawLogo(QPainter& painter, const QRectF& box) {
    const Grid g(box);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plate = g.r(1, 1, 22, 22);
    QLinearGradient base(plate.topLeft(), plate.bottomRight());
    base.setColorAt(0, QColor::fromRgb(palette::kAccent));
    base.setColorAt(1, QColor::fromRgb(palette::kAccent2));
    painter.setPen(Qt::NoPen);
    painter.setBrush(base);
    painter.drawPath(roundedPath(plate, g.s(5.5)));

    // The cap: a dark top face with a lit edge, as a key seen from above.
    const QRectF cap = g.r(5, 4.5, 14, 13);
    painter.setBrush(rgba(0x0E1118, 235));
    painter.drawPath(roundedPath(cap, g.s(3)));
    QLinearGradient glow(g.p(0, 17), g.p(0, 20.5));
    glow.setColorAt(0, rgba(0xFFFFFF, 200));
    glow.setColorAt(1, rgba(0xFFFFFF, 0));
    painter.setBrush(glow);
    painter.drawPath(roundedPath(g.r(6, 17, 12, 3.2), g.s(1.6)));

    // The glow wave across the cap.
    QPainterPath wave;
    wave.moveTo(g.p(7.5, 12.5));
    wave.cubicTo(g.p(10, 7), g.p(12.5, 15.5), g.p(16.5, 8.5));
    QLinearGradient waveFill(g.p(7, 0), g.p(17, 0));
    waveFill.setColorAt(0, QColor::fromRgb(palette::kAccent));
    waveFill.setColorAt(1, QColor(0xFF, 0x7A, 0xD9));
    painter.setPen(linePen(QColor(), g.s(2.2)));
    QPen pen = painter.pen();
    pen.setBrush(waveFill);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(wave);
    painter.restore();
}

void drawRgbIcon(QPainter& painter, const QRectF& box, double glow) {
    const Grid g(box);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    const QColor rest = QColor::fromRgb(palette::kMuted);
    struct Light {
        double x, y;
        QColor colour;
    };
    const Light lights[] = {{12, 8.5, QColor(0xFF, 0x4D, 0x6A)},
                            {8.5, 14.5, QColor(0x3D, 0xE0, 0x8A)},
                            {15.5, 14.5, QColor(0x35, 0x8C, 0xFF)}};
    for (const Light& light : lights) {
        QColor colour = mix(rest, light.colour, glow);
        colour.setAlpha(static_cast<int>(150 + 80 * glow));
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawEllipse(g.p(light.x, light.y), g.s(5.6 + 0.6 * glow), g.s(5.6 + 0.6 * glow));
    }
    painter.restore();
}

void drawMacroIcon(QPainter& painter, const QRectF& box, double glow) {
    const Grid g(box);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour =
        mix(QColor::fromRgb(palette::kMuted), QColor::fromRgb(palette::kAccent), glow);
    if (glow > 0) {
        QRadialGradient halo(g.p(12, 12), g.s(12));
        halo.setColorAt(0, rgba(palette::kAccent, static_cast<int>(110 * glow)));
        halo.setColorAt(1, rgba(palette::kAccent, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(halo);
        painter.drawEllipse(g.p(12, 12), g.s(12), g.s(12));
    }
    painter.setPen(linePen(colour, g.s(1.8)));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedPath(g.r(3, 4, 18, 16), g.s(3.5)));
    QPainterPath play;
    play.moveTo(g.p(7.5, 8.5));
    play.lineTo(g.p(11.5, 12));
    play.lineTo(g.p(7.5, 15.5));
    play.closeSubpath();
    painter.setBrush(colour);
    painter.drawPath(play);
    painter.drawLine(g.p(14, 9.5), g.p(17, 9.5));
    painter.drawLine(g.p(14, 12.5), g.p(17, 12.5));
    painter.drawLine(g.p(14, 15.5), g.p(16, 15.5));
    painter.restore();
}

}  // namespace kg::uiart
