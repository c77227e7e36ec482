#include "tools/uiart/WindowArt.h"

#include "tools/uiart/Icons.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace kg::uiart {
namespace {

constexpr int kMainWidth = 1100;
constexpr int kMainHeight = 680;
constexpr int kMainTitle = 56;

void drawWindowBase(QPainter& p, int width, int height, int title) {
    QLinearGradient base(0, 0, 0, height);
    base.setColorAt(0, QColor(0x11, 0x14, 0x1B));
    base.setColorAt(1, QColor(0x0C, 0x0E, 0x13));
    p.fillRect(QRect(0, 0, width, height), base);

    // A faint coloured light from the upper corners keeps the large dark areas alive.
    QRadialGradient left(QPointF(width * 0.12, 0), width * 0.55);
    left.setColorAt(0, rgba(palette::kAccent, 26));
    left.setColorAt(1, rgba(palette::kAccent, 0));
    p.fillRect(QRect(0, 0, width, height), left);
    QRadialGradient right(QPointF(width * 0.9, height * 0.15), width * 0.5);
    right.setColorAt(0, rgba(palette::kAccent2, 22));
    right.setColorAt(1, rgba(palette::kAccent2, 0));
    p.fillRect(QRect(0, 0, width, height), right);

    p.fillRect(QRect(0, 0, width, title), rgba(palette::kTitle, 200));
    p.fillRect(QRect(0, title - 1, width, 1), QColor(0x1F, 0x24, 0x30));
    QLinearGradient accent(0, 0, width, 0);
    accent.setColorAt(0, rgba(palette::kAccent, 0));
    accent.setColorAt(0.3, rgba(palette::kAccent, 160));
    accent.setColorAt(0.7, rgba(palette::kAccent2, 160));
    accent.setColorAt(1, rgba(palette::kAccent2, 0));
    p.fillRect(QRect(0, title - 1, width, 1), accent);

    p.setPen(QPen(QColor(0x2A, 0x30, 0x3D), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, width - 1, height - 1));
}

void drawCard(QPainter& p, const QRectF& rect, int headHeight) {
    p.setPen(Qt::NoPen);
    p.setBrush(rgba(0x000000, 70));
    p.drawPath(roundedPath(rect.adjusted(-1, 0, 1, 3), 13));
    p.setBrush(QColor::fromRgb(palette::kPanel));
    p.drawPath(roundedPath(rect, 12));
    if (headHeight > 0) {
        p.save();
        p.setClipRect(QRectF(rect.left(), rect.top(), rect.width(), headHeight));
        p.setBrush(QColor::fromRgb(palette::kPanelHead));
        p.drawPath(roundedPath(rect, 12));
        p.restore();
        p.fillRect(QRectF(rect.left() + 1, rect.top() + headHeight, rect.width() - 2, 1),
                   QColor::fromRgb(palette::kBorder));
        QLinearGradient bar(0, rect.top() + 10, 0, rect.top() + headHeight - 10);
        bar.setColorAt(0, QColor::fromRgb(palette::kAccent));
        bar.setColorAt(1, QColor::fromRgb(palette::kAccent2));
        p.setBrush(bar);
        p.drawPath(roundedPath(QRectF(rect.left(), rect.top() + 11, 3, headHeight - 22), 1.5));
    }
    p.setPen(QPen(QColor::fromRgb(palette::kBorder), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(roundedPath(rect.adjusted(0.5, 0.5, -0.5, -0.5), 12));
}

QImage mainBackground() {
    QImage image = newImage(kMainWidth, kMainHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawWindowBase(p, kMainWidth, kMainHeight, kMainTitle);

    // The keyboard stage: a card with the keyboard's glow under it.
    const QRectF stage(30, 66, 1040, 350);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x12, 0x16, 0x1E));
    p.drawPath(roundedPath(stage, 14));
    p.save();
    p.setClipPath(roundedPath(stage, 14));
    QRadialGradient glow(QPointF(550, 380), 520);
    glow.setColorAt(0, rgba(palette::kAccent2, 70));
    glow.setColorAt(0.5, rgba(palette::kAccent, 22));
    glow.setColorAt(1, rgba(palette::kAccent, 0));
    p.fillRect(stage, glow);
    // The keyboard's shadow and the light it throws onto the desk below it.
    for (int spread = 6; spread >= 1; --spread) {
        p.setBrush(rgba(0x000000, 22));
        p.drawPath(roundedPath(QRectF(50, 78, 1000, 330).adjusted(-spread, 0, spread, spread),
                               16 + spread));
    }
    QRadialGradient spill(QPointF(550, 408), 480);
    spill.setColorAt(0, rgba(palette::kAccent2, 70));
    spill.setColorAt(1, rgba(palette::kAccent2, 0));
    p.save();
    p.scale(1, 0.04);
    p.fillRect(QRectF(60, 408 / 0.04 - 480, 980, 960), spill);
    p.restore();
    p.restore();
    p.setPen(QPen(QColor(0x23, 0x29, 0x36), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(roundedPath(stage.adjusted(0.5, 0.5, -0.5, -0.5), 14));

    drawCard(p, QRectF(30, 430, 660, 230), 40);
    drawCard(p, QRectF(706, 430, 364, 230), 40);
    return image;
}

QImage macroBackground() {
    QImage image = newImage(860, 560);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawWindowBase(p, 860, 560, 48);
    return image;
}

QImage functionIcon(bool rgb) {
    constexpr int kFrames = 6;
    return strip(24, 24, kFrames, [rgb](QPainter& p, const QRectF& cell, int frame) {
        const double glow = frame / static_cast<double>(kFrames - 1);
        if (rgb) {
            drawRgbIcon(p, cell, glow);
        } else {
            drawMacroIcon(p, cell, glow);
        }
    });
}

}  // namespace

QImage logoImage(int size) {
    QImage image = newImage(size, size);
    QPainter p(&image);
    drawLogo(p, QRectF(0, 0, size, size));
    return image;
}

void addWindowPictures(Pictures& out) {
    addPicture(out, QStringLiteral("table_main_bg"), mainBackground());
    addPicture(out, QStringLiteral("kb_macro_bg"), macroBackground());
    addPicture(out, QStringLiteral("table_main_icon"), logoImage(28));
    addPicture(out, QStringLiteral("icon_logo"), logoImage(256));

    QImage bulb = newImage(20, 20);
    {
        QPainter p(&bulb);
        drawGlyph(p, Glyph::Bulb, QRectF(0, 0, 20, 20), QColor::fromRgb(palette::kAccent));
    }
    addPicture(out, QStringLiteral("icon_color_effects"), bulb);
    addPicture(out, QStringLiteral("ioc_func_rgb"), functionIcon(true));
    addPicture(out, QStringLiteral("ioc_func_macro"), functionIcon(false));
}

}  // namespace kg::uiart
